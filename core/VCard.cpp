#include "VCard.h"

#include <algorithm>
#include <chrono>

#include "Cp1252.h"
#include "Cp1252Fold.h"

namespace tmf {
namespace {

struct Parameter {
    std::string name;   // upper case; empty for a bare 2.1 parameter
    std::string value;  // upper case for bare parameters and the few we compare
};

struct Property {
    std::string name;  // upper case, group removed
    std::vector<Parameter> parameters;
    std::string value;  // raw, still escaped and encoded
};

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Upper(c);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Upper(x) == Upper(y); });
}

// Index of the first ':' outside double quotes, or npos.
std::size_t ValueColon(std::string_view line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        else if (line[i] == ':' && !quoted) return i;
    }
    return std::string_view::npos;
}

bool IsQuotedPrintableLine(std::string_view line) {
    const std::size_t colon = ValueColon(line);
    if (colon == std::string_view::npos) return false;
    return UpperAscii(line.substr(0, colon)).find("QUOTED-PRINTABLE") != std::string::npos;
}

std::vector<std::string_view> PhysicalLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.push_back(bytes.substr(start));
    return lines;
}

// Joins folded lines (a line that starts with a blank or tab continues the
// one before) and the soft breaks of quoted-printable values (a value line
// ending in '=' goes on in the next line, which 2.1 writers do not indent).
std::vector<std::string> LogicalLines(std::string_view bytes) {
    std::vector<std::string> out;
    bool softBreak = false;
    for (std::string_view line : PhysicalLines(bytes)) {
        // A card's end never continues a value, whatever the line before
        // ended in; otherwise one stray '=' would swallow the next contact.
        if (softBreak && (EqualsNoCase(line, "END:VCARD") || EqualsNoCase(line, "BEGIN:VCARD"))) softBreak = false;
        if (!out.empty() && softBreak) {
            out.back().pop_back();
            std::size_t skip = 0;
            while (skip < line.size() && (line[skip] == ' ' || line[skip] == '\t')) ++skip;
            // Some writers also indent the continuation; a QP value never
            // starts a line with a blank it means, since blanks at line ends
            // must be encoded.
            out.back() += line.substr(skip);
        } else if (!out.empty() && !line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            out.back() += line.substr(1);
        } else if (line.empty()) {
            softBreak = false;
            continue;
        } else {
            out.emplace_back(line);
        }
        softBreak = !out.back().empty() && out.back().back() == '=' && IsQuotedPrintableLine(out.back());
    }
    return out;
}

std::optional<Property> ParseProperty(std::string_view line) {
    const std::size_t colon = ValueColon(line);
    if (colon == std::string_view::npos) return std::nullopt;
    Property p;
    p.value = std::string(line.substr(colon + 1));
    std::string_view head = line.substr(0, colon);
    std::vector<std::string_view> parts;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= head.size(); ++i) {
        if (i < head.size() && head[i] == '"') quoted = !quoted;
        if (i == head.size() || (head[i] == ';' && !quoted)) {
            parts.push_back(head.substr(start, i - start));
            start = i + 1;
        }
    }
    std::string_view name = parts.front();
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos) name = name.substr(dot + 1);
    p.name = UpperAscii(name);
    for (std::size_t k = 1; k < parts.size(); ++k) {
        std::string_view part = parts[k];
        Parameter param;
        if (const auto eq = part.find('='); eq != std::string_view::npos) {
            param.name = UpperAscii(part.substr(0, eq));
            std::string_view v = part.substr(eq + 1);
            std::string value;
            for (char c : v)
                if (c != '"') value.push_back(c);
            param.value = UpperAscii(value);
        } else {
            param.value = UpperAscii(part);
        }
        p.parameters.push_back(std::move(param));
    }
    return p;
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
    std::string bytes = HasParameter(p, "ENCODING", "QUOTED-PRINTABLE") ? DecodeQuotedPrintable(p.value) : p.value;
    const std::string charset = ParameterValue(p, "CHARSET");
    if (charset == "UTF-8" || charset == "UTF8") return IsUtf8(bytes) ? bytes : Cp1252ToUtf8(bytes);
    if (charset == "ISO-8859-15" || charset == "LATIN-9") return Latin9ToUtf8(bytes);
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
    bool nameSet = false;

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
        } else if (n == "BDAY" || n == "ANNIVERSARY" || n == "X-ANNIVERSARY" || n == "X-EVOLUTION-ANNIVERSARY") {
            VCardDate date;
            date.birthday = n == "BDAY";
            if (!HasParameter(p, "VALUE", "TEXT")) date.day = ParseVCardDate(Trim(Text(p)));
            contact.dates.push_back(date);
        }
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

}  // namespace

VCardFile ReadVCards(std::string_view bytes) {
    VCardFile file;
    std::optional<Collector> current;
    int depth = 0;  // a 2.1 AGENT may hold a whole vCard of its own
    for (const std::string& line : LogicalLines(bytes)) {
        auto property = ParseProperty(line);
        if (!property) continue;
        if (property->name == "BEGIN" && EqualsNoCase(Trim(property->value), "VCARD")) {
            if (depth++ == 0) current.emplace();
            continue;
        }
        if (property->name == "END" && EqualsNoCase(Trim(property->value), "VCARD")) {
            if (depth > 0 && --depth == 0 && current) {
                file.contacts.push_back(std::move(current->contact));
                current.reset();
            }
            continue;
        }
        if (depth == 1 && current) current->take(*property);
    }
    if (current) file.contacts.push_back(std::move(current->contact));
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
