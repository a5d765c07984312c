#include "VCardEntries.h"

#include <algorithm>
#include <chrono>

#include "Cp1252.h"
#include "Cp1252Fold.h"
#include "Dates.h"

namespace tmf {
namespace {

// Field capacities of the appointment file; cutting here makes the duplicate
// test see what a later import will find in the file.
constexpr std::size_t kNameLength = 25;
constexpr std::size_t kMemoLength = 100;

// Line breaks are kept as NUL LF in the entry table.
constexpr std::string_view kStoredBreak{"\0\n", 2};

// A name cut to its field counts as changed as much as one with a letter
// replaced: either way the entry does not say what the address book says.
std::string Storable(const std::string& text, std::size_t capacity, bool* changed = nullptr) {
    std::string folded = FoldToCp1252(text, changed);
    if (Utf8Length(folded) <= capacity) return folded;
    if (changed) *changed = true;
    return Utf8Left(folded, capacity);
}

// Lines joined with stored line breaks, cut to the memo's capacity without
// leaving half a line break at the end.
std::string Memo(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += kStoredBreak;
        text += FoldToCp1252(lines[i]);
    }
    while (text.size() >= 2 && text.compare(text.size() - 2, 2, kStoredBreak) == 0) text.resize(text.size() - 2);
    text = Utf8Left(text, kMemoLength);
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

}  // namespace

std::optional<std::string> StoredVCardDate(const VCardDay& d) {
    using namespace std::chrono;
    if (d.month == 2 && d.day == 29) return std::nullopt;  // refused by the date validation
    if (d.year != 0 && d.year < 100) return std::nullopt;
    const int y = d.year == 0 ? kYearlessYear : d.year;
    const year_month_day date{year{y}, month{d.month}, day{d.day}};
    if (!date.ok()) return std::nullopt;
    return FormatDate(date);
}

VCardContactEntries EntriesOfContact(const VCardContact& c) {
    VCardContactEntries out;
    out.uid = c.uid;
    if (c.dates.empty()) out.skipped.push_back({VCardSkipReason::NoDate, {}});
    std::vector<std::pair<const char*, std::string>> dates;
    for (const VCardDate& d : c.dates) {
        const char* term = d.birthday ? kBirthdayTerm : kAnniversaryTerm;
        const auto text = d.day ? StoredVCardDate(*d.day) : std::nullopt;
        if (!text) {
            const VCardSkipReason why = !d.day                               ? VCardSkipReason::NotADate
                                        : d.day->month == 2 && d.day->day == 29 ? VCardSkipReason::LeapDay
                                                                                : VCardSkipReason::TooEarly;
            out.skipped.push_back({why, term});
            continue;
        }
        std::pair<const char*, std::string> one{term, *text};
        if (std::find(dates.begin(), dates.end(), one) == dates.end()) dates.push_back(std::move(one));
    }
    if (dates.empty()) return out;

    bool firstChanged = false, lastChanged = false;
    const std::string first = Storable(c.givenName, kNameLength, &firstChanged);
    std::string lastName = Storable(c.familyName, kNameLength, &lastChanged);
    if (first.empty() && lastName.empty()) {
        // Without a structured name the display name, the company or the
        // address is what the user knows the contact by.
        const std::string& other = !c.formattedName.empty() ? c.formattedName
                                   : !c.organization.empty() ? c.organization
                                                             : c.email;
        lastName = Storable(other, kNameLength, &lastChanged);
    }
    out.namesChanged = firstChanged || lastChanged;
    const std::string phones = Memo({c.phone, c.fax, c.email});
    const std::string address = Memo(c.addressLines);

    for (auto& [term, date] : dates) {
        // A new entry as the editor makes one: no leads, not reached, not
        // deleted when due.
        Row row;
        row[Vorname] = Cell(first);
        row[Nachname] = Cell(lastName);
        row[TerminAm] = Cell(date);
        row[Bemerkung] = Cell("");
        row[Warnung1] = Cell("0");
        row[Warnung2] = Cell("0");
        row[Erreicht] = Cell("0");
        row[TelFaxMail] = Cell(phones);
        row[Adresse] = Cell(address);
        row[Loeschen] = Cell(false);
        row[Terminart] = Cell(term);
        out.rows.push_back(std::move(row));
    }
    return out;
}

std::optional<VCardContactEntries> EntriesOfVCard(std::string_view text) {
    std::optional<VCardContactEntries> out;
    ForEachVCard(text, [&out](VCardContact&& c) {
        out = EntriesOfContact(c);
        return false;
    });
    return out;
}

std::string VCardDuplicateKey(const Row& row) {
    return row[Vorname].asText() + '\x1f' + row[Nachname].asText() + '\x1f' + row[Terminart].asText() + '\x1f' +
           row[TerminAm].asText().substr(0, 5);
}

std::string VCardSkipText(const VCardSkip& skip) {
    switch (skip.reason) {
        case VCardSkipReason::NoDate: return "kein Geburtstag und kein Jahrestag";
        case VCardSkipReason::NotADate: return skip.term + ": kein Kalenderdatum";
        case VCardSkipReason::LeapDay: return skip.term + ": 29. Februar";
        case VCardSkipReason::TooEarly: return skip.term + ": Jahr vor 100";
    }
    return skip.term;
}

}  // namespace tmf
