#include "VCard.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <map>

#include "Cp1252.h"
#include "Cp1252Fold.h"
#include "VCardLines.h"

namespace tmf {
namespace {

// The year Apple's address book writes in place of one it does not know.
constexpr int kStandInYear = 1604;

using vcard::Parameter;
using vcard::Property;

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Upper(x) == Upper(y); });
}

bool HasParameter(const Property& p, std::string_view name, std::string_view value) {
    for (const auto& param : p.parameters) {
        if (!param.name.empty() && param.name != name) continue;
        if (param.name.empty() && name != "TYPE" && name != "ENCODING" && name != "VALUE") continue;
        // TYPE=work,fax and TYPE="work,fax" list several values.
        std::string_view list = param.value;
        while (!list.empty()) {
            const auto comma = list.find(',');
            if (list.substr(0, comma) == value) return true;
            if (comma == std::string_view::npos) break;
            list.remove_prefix(comma + 1);
        }
    }
    return false;
}

bool HasParameterNamed(const Property& p, std::string_view name) {
    return std::any_of(p.parameters.begin(), p.parameters.end(), [name](const Parameter& param) { return param.name == name; });
}

std::string ParameterValue(const Property& p, std::string_view name) {
    for (const auto& param : p.parameters)
        if (param.name == name) return param.value;
    return {};
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = Upper(c);
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string DecodeQuotedPrintable(std::string_view v) {
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '=' && i + 2 < v.size() && HexValue(v[i + 1]) >= 0 && HexValue(v[i + 2]) >= 0) {
            out.push_back(static_cast<char>(HexValue(v[i + 1]) * 16 + HexValue(v[i + 2])));
            i += 2;
        } else {
            out.push_back(v[i]);
        }
    }
    return out;
}

// The value as UTF-8 text, still with its backslash escapes.
std::string DecodedValue(const Property& p) {
    std::string bytes = vcard::IsQuotedPrintable(p) ? DecodeQuotedPrintable(p.value) : std::string(p.value);
    const std::string charset = ParameterValue(p, "CHARSET");
    if (charset == "UTF-8" || charset == "UTF8") return IsUtf8(bytes) ? bytes : Cp1252ToUtf8(bytes);
    if (charset == "ISO-8859-15" || charset == "ISO8859-15" || charset == "LATIN-9" || charset == "LATIN9")
        return Latin9ToUtf8(bytes);
    if (!charset.empty() && charset != "US-ASCII") return Cp1252ToUtf8(bytes);  // Latin-1 and its superset
    return IsUtf8(bytes) ? bytes : Cp1252ToUtf8(bytes);
}

// Splits on the unescaped separator, then resolves the escapes: "\n" is a
// line break, "\," "\;" "\\" "\:" the character itself. With commaAsBlank
// the unescaped commas of a list ("Hans,Peter") become blanks.
std::vector<std::string> Components(std::string_view text, char separator, bool commaAsBlank = false) {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            const char e = text[++i];
            out.back() += (e == 'n' || e == 'N') ? '\n' : e;
        } else if (c == separator) {
            out.emplace_back();
        } else if (c == ',' && commaAsBlank) {
            out.back() += ' ';
        } else {
            out.back() += c;
        }
    }
    return out;
}

std::string Text(const Property& p) { return Components(DecodedValue(p), '\0').front(); }

std::string Trim(std::string s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.back())) s.pop_back();
    std::size_t k = 0;
    while (k < s.size() && blank(s[k])) ++k;
    return s.substr(k);
}

// Line breaks inside a one-line field become blanks.
std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return Trim(std::move(s));
}

bool IsPreferred(const Property& p) {
    return HasParameter(p, "TYPE", "PREF") || ParameterValue(p, "PREF") == "1";
}

// The first value of a kind, unless a later one is marked as preferred.
template <class T>
void Offer(T& slot, bool& slotPreferred, bool& slotSet, T value, bool preferred) {
    if (slotSet && (slotPreferred || !preferred)) return;
    slot = std::move(value);
    slotSet = true;
    slotPreferred = preferred;
}

struct Collector {
    VCardContact contact;
    bool phoneSet = false, phonePref = false;
    bool faxSet = false, faxPref = false;
    bool emailSet = false, emailPref = false;
    bool addressSet = false, addressPref = false;
    std::vector<std::pair<std::string, VCardDate>> groupDates;  // X-ABDATE by group
    std::map<std::string, std::string> labels;                 // X-ABLABEL by group

    void take(const Property& p) {
        const std::string& n = p.name;
        if (n == "N") {
            auto parts = Components(DecodedValue(p), ';', true);
            parts.resize(2);
            contact.familyName = OneLine(parts[0]);
            contact.givenName = OneLine(parts[1]);
        } else if (n == "FN") {
            contact.formattedName = OneLine(Text(p));
        } else if (n == "ORG") {
            contact.organization = OneLine(Components(DecodedValue(p), ';').front());
        } else if (n == "TEL") {
            std::string number = OneLine(Text(p));
            if (number.compare(0, 4, "tel:") == 0) number.erase(0, 4);
            if (HasParameter(p, "TYPE", "FAX"))
                Offer(contact.fax, faxPref, faxSet, std::move(number), IsPreferred(p));
            else
                Offer(contact.phone, phonePref, phoneSet, std::move(number), IsPreferred(p));
        } else if (n == "EMAIL") {
            Offer(contact.email, emailPref, emailSet, OneLine(Text(p)), IsPreferred(p));
        } else if (n == "ADR") {
            Offer(contact.addressLines, addressPref, addressSet, AddressLines(p), IsPreferred(p));
        } else if (n == "UID") {
            contact.uid = Trim(Text(p));
        } else if (n == "BDAY" || IsAnniversary(n)) {
            contact.dates.push_back(DateOf(p, n == "BDAY"));
        } else if (n == "X-ABDATE" && !p.group.empty()) {
            groupDates.emplace_back(p.group, DateOf(p, false));
        } else if (n == "X-ABLABEL" && !p.group.empty()) {
            labels[p.group] = Trim(Text(p));
        }
    }

    // The labelled dates are known to be anniversaries only once the card
    // is read: the label may come before or after its date.
    VCardContact finish() {
        for (auto& [group, date] : groupDates) {
            const auto label = labels.find(group);
            if (label != labels.end() && IsAnniversaryLabel(label->second)) contact.dates.push_back(std::move(date));
        }
        return std::move(contact);
    }

    static bool IsAnniversary(std::string_view name) {
        return name == "ANNIVERSARY" || name == "X-ANNIVERSARY" || name == "X-EVOLUTION-ANNIVERSARY" ||
               name == "X-MS-ANNIVERSARY" || name == "X-KADDRESSBOOK-X-ANNIVERSARY";
    }

    static bool IsAnniversaryLabel(std::string_view label) {
        return EqualsNoCase(label, "_$!<Anniversary>!$_") || EqualsNoCase(label, "Anniversary");
    }

    static VCardDate DateOf(const Property& p, bool birthday) {
        VCardDate date;
        date.birthday = birthday;
        date.property = p.name;
        if (!HasParameter(p, "VALUE", "TEXT")) date.day = ParseVCardDate(Trim(Text(p)));
        // Apple marks a day without a year with a stand-in year and this
        // parameter (whatever year it names); programs that pass such a
        // card on may lose the parameter, and no one reminds of a date of
        // 1604.
        if (date.day && (HasParameterNamed(p, "X-APPLE-OMIT-YEAR") || date.day->year == kStandInYear)) date.day->year = 0;
        return date;
    }

    // Post-office box, extended address, street, "postal-code locality",
    // region and country, each on its own line when given: the way an
    // address is written on an envelope here.
    static std::vector<std::string> AddressLines(const Property& p) {
        auto parts = Components(DecodedValue(p), ';', false);
        parts.resize(7);
        for (auto& part : parts) part = OneLine(part);
        std::vector<std::string> lines;
        auto add = [&lines](std::string line) {
            line = Trim(std::move(line));
            if (!line.empty()) lines.push_back(std::move(line));
        };
        add(parts[0]);
        add(parts[1]);
        add(parts[2]);
        add(parts[5] + (parts[5].empty() || parts[3].empty() ? "" : " ") + parts[3]);
        add(parts[4]);
        add(parts[6]);
        return lines;
    }
};

// The properties a contact's entries are made of; the values of all others
// (photos, notes, keys) are passed over unread.
bool IsRead(std::string_view name) {
    static constexpr std::string_view kRead[] = {"BEGIN", "END", "UID",  "N",        "FN",       "ORG",
                                                 "TEL",   "EMAIL", "ADR", "BDAY", "X-ABDATE", "X-ABLABEL"};
    return std::find(std::begin(kRead), std::end(kRead), name) != std::end(kRead) || Collector::IsAnniversary(name);
}

}  // namespace

bool ForEachVCard(std::string_view bytes, const std::function<bool(VCardContact&&)>& take) {
    // Some Windows programs start the file with a byte order mark.
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    vcard::PropertyReader reader(bytes, IsRead);
    vcard::Property property;
    std::optional<Collector> current;
    int depth = 0;  // a 2.1 AGENT may hold a whole vCard of its own
    while (reader.next(property)) {
        if (property.name == "BEGIN" && EqualsNoCase(Trim(std::string(property.value)), "VCARD")) {
            if (depth++ == 0) current.emplace();
            continue;
        }
        if (property.name == "END" && EqualsNoCase(Trim(std::string(property.value)), "VCARD")) {
            if (depth > 0 && --depth == 0 && current) {
                VCardContact contact = current->finish();
                current.reset();
                if (!take(std::move(contact))) return false;
            }
            continue;
        }
        if (depth == 1 && current) current->take(property);
    }
    if (current) return take(current->finish());
    return true;
}

VCardFile ReadVCards(std::string_view bytes) {
    VCardFile file;
    ForEachVCard(bytes, [&file](VCardContact&& c) {
        file.contacts.push_back(std::move(c));
        return true;
    });
    return file;
}

std::optional<VCardDay> ParseVCardDate(std::string_view v) {
    if (const auto t = v.find_first_of("Tt"); t != std::string_view::npos) v = v.substr(0, t);
    auto digits = [](std::string_view s) {
        return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    auto number = [](std::string_view s) {
        int n = 0;
        for (char c : s) n = n * 10 + (c - '0');
        return n;
    };
    VCardDay d;
    std::string_view y, m, dd;
    if (v.size() == 10 && v[4] == '-' && v[7] == '-') {
        y = v.substr(0, 4), m = v.substr(5, 2), dd = v.substr(8, 2);
    } else if (v.size() == 8 && digits(v)) {
        y = v.substr(0, 4), m = v.substr(4, 2), dd = v.substr(6, 2);
    } else if (v.size() == 6 && v.substr(0, 2) == "--") {
        m = v.substr(2, 2), dd = v.substr(4, 2);
    } else if (v.size() == 7 && v.substr(0, 2) == "--" && v[4] == '-') {
        m = v.substr(2, 2), dd = v.substr(5, 2);
    } else {
        return std::nullopt;
    }
    if ((!y.empty() && !digits(y)) || !digits(m) || !digits(dd)) return std::nullopt;
    d.year = y.empty() ? 0 : number(y);
    d.month = static_cast<unsigned>(number(m));
    d.day = static_cast<unsigned>(number(dd));
    using namespace std::chrono;
    const year check{d.year == 0 ? 2000 : d.year};
    if (!year_month_day{check, month{d.month}, day{d.day}}.ok()) return std::nullopt;
    if (!y.empty() && d.year == 0) return std::nullopt;  // there is no year 0000
    return d;
}

}  // namespace tmf
