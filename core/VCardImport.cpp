#include "VCardImport.h"

#include <set>

#include "AppointmentFile.h"
#include "Cp1252.h"
#include "Cp1252Fold.h"
#include "Dates.h"
#include "FileIo.h"
#include "Ports.h"
#include "Sort.h"
#include "State.h"

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

std::string DuplicateKey(const std::string& first, const std::string& last, const std::string& term,
                         std::string_view date) {
    // Day and month only: a contact's birthday that the file keeps without
    // its year (or with it) is the same birthday.
    return first + '\x1f' + last + '\x1f' + term + '\x1f' + std::string(date.substr(0, 5));
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

VCardImportPlan PlanVCardImport(const VCardFile& file, const EntryTableType& table, int entryCount) {
    VCardImportPlan plan;
    std::set<std::string> known;
    const int last = std::min(entryCount, table.lastRow());
    for (int r = 1; r <= last; ++r)
        known.insert(DuplicateKey(table(Vorname, r).asText(), table(Nachname, r).asText(),
                                  table(Terminart, r).asText(), table(TerminAm, r).asText()));

    for (const VCardContact& c : file.contacts) {
        std::vector<std::pair<const char*, std::string>> dates;
        for (const VCardDate& d : c.dates) {
            auto text = d.day ? StoredVCardDate(*d.day) : std::nullopt;
            if (!text) {
                ++plan.counts.skipped;
                continue;
            }
            std::pair<const char*, std::string> one{d.birthday ? kBirthdayTerm : kAnniversaryTerm, *text};
            // Writers often give the same anniversary under two names.
            if (std::find(dates.begin(), dates.end(), one) == dates.end()) dates.push_back(std::move(one));
        }
        if (c.dates.empty()) ++plan.counts.skipped;
        if (dates.empty()) continue;

        bool firstChanged = false, lastChanged = false;
        std::string first = Storable(c.givenName, kNameLength, &firstChanged);
        std::string lastName = Storable(c.familyName, kNameLength, &lastChanged);
        if (first.empty() && lastName.empty()) {
            // Without a structured name the display name, the company or
            // the address is what the user knows the contact by.
            const std::string& other = !c.formattedName.empty() ? c.formattedName
                                       : !c.organization.empty() ? c.organization
                                                                 : c.email;
            lastName = Storable(other, kNameLength, &lastChanged);
        }
        if (firstChanged || lastChanged) ++plan.counts.namesChanged;

        for (auto& [term, date] : dates) {
            if (!known.insert(DuplicateKey(first, lastName, term, date)).second) {
                ++plan.counts.alreadyThere;
                continue;
            }
            // A new entry as the editor makes one: no leads, not reached,
            // not deleted when due.
            Row row;
            row[Vorname] = Cell(first);
            row[Nachname] = Cell(lastName);
            row[TerminAm] = Cell(date);
            row[Bemerkung] = Cell("");
            row[Warnung1] = Cell("0");
            row[Warnung2] = Cell("0");
            row[Erreicht] = Cell("0");
            row[TelFaxMail] = Cell(Memo({c.phone, c.fax, c.email}));
            row[Adresse] = Cell(Memo(c.addressLines));
            row[Loeschen] = Cell(false);
            row[Terminart] = Cell(term);
            plan.rows.push_back(std::move(row));
            ++plan.counts.added;
        }
    }
    return plan;
}

VCardImportOutcome ImportVCardFile(const std::string& vcardPath, const std::string& target,
                                   VCardImportCounts& counts,
                                   const std::function<bool(const VCardImportCounts&)>& confirm) {
    counts = {};
    IoError error;
    const auto bytes = ReadWholeFile(vcardPath, &error);
    if (!bytes) {
        ShowMessage(vcardPath + " konnte nicht gelesen werden !\r\n" + error.reason, MessageKind::Error);
        return VCardImportOutcome::Failed;
    }
    const VCardFile file = ReadVCards(*bytes);
    if (file.contacts.empty()) {
        ShowMessage(vcardPath + " enthält keine vCard-Kontakte !", MessageKind::Error);
        return VCardImportOutcome::Failed;
    }
    if (EntryCount < 0 || EntryCount > EntryTable.lastRow()) {
        ShowMessage("Die Einträge von " + target + " sind nicht vollständig geladen.\r\nEs wurde nichts importiert.",
                    MessageKind::Error);
        return VCardImportOutcome::Failed;
    }
    VCardImportPlan plan = PlanVCardImport(file, EntryTable, EntryCount);
    counts = plan.counts;
    if (plan.rows.empty()) return VCardImportOutcome::NothingToAdd;
    const auto total = static_cast<long long>(EntryCount) + static_cast<long long>(plan.rows.size());
    if (total > kMaxEntries) {
        ShowMessage("Eine Datei faßt höchstens " + std::to_string(kMaxEntries) + " Einträge: " +
                        std::to_string(EntryCount) + " vorhanden, " + std::to_string(plan.rows.size()) +
                        " neu.\r\nEs wurde nichts importiert.",
                    MessageKind::Error);
        counts.added = 0;
        return VCardImportOutcome::Failed;
    }
    if (confirm && !confirm(counts)) return VCardImportOutcome::Cancelled;

    TableOperation operation;
    const EntryTableType before = EntryTable;
    const std::int32_t countBefore = EntryCount;
    const std::int32_t modifiedBefore = Modified;
    const int first = EntryCount + 1;
    EntryCount = static_cast<std::int32_t>(total);
    ResizeEntryTable(EntryCount);
    for (std::size_t i = 0; i < plan.rows.size(); ++i) EntryTable.row(first + static_cast<int>(i)) = std::move(plan.rows[i]);
    SortEntriesByFileChoice();
    // No "Datum": the last check date stays, or the entries due since then
    // would never be reported as passed over.
    if (!SaveAppointmentFile(target, "Alles", "")) {
        EntryTable = before;
        EntryCount = countBefore;
        Modified = modifiedBefore;
        counts.added = 0;
        return VCardImportOutcome::Failed;
    }
    Modified = 0;
    return VCardImportOutcome::Imported;
}

std::string VCardImportSummary(const VCardImportCounts& c, const std::string& vcardPath) {
    return "vCard-Import aus " + ExtractFileName(vcardPath) + ":\r\n\r\n" +
           std::to_string(c.added) + (c.added == 1 ? " Eintrag" : " Einträge") + " hinzugefügt\r\n" +
           std::to_string(c.alreadyThere) + " schon vorhanden\r\n" +
           std::to_string(c.skipped) + " ohne verwendbares Datum übergangen\r\n" +
           std::to_string(c.namesChanged) + " Namen für die Speicherung angepaßt";
}

}  // namespace tmf
