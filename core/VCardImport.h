#pragma once
// Bringing the birthdays and anniversaries of an address book into the
// current appointment file.
#include <functional>
#include <string>
#include <vector>

#include "EntryTable.h"
#include "VCard.h"

namespace tmf {

inline constexpr const char* kBirthdayTerm = "Geburtstag";
inline constexpr const char* kAnniversaryTerm = "Jahrestag";

struct VCardImportCounts {
    int added = 0;         // new entries
    int alreadyThere = 0;  // same names, term, day and month as an entry in the file
    int skipped = 0;       // dates without a usable value, and contacts without any date
    int namesChanged = 0;  // contacts whose names had to be brought to storable characters
};

struct VCardImportPlan {
    std::vector<Row> rows;  // the entries to add, in the order of the file
    VCardImportCounts counts;
};

// The entries the contacts give, leaving out those the table (rows
// 1..entryCount) holds already. A date without a year gets kYearlessYear;
// 29 February, which the program cannot store, counts as not usable.
VCardImportPlan PlanVCardImport(const VCardFile& file, const EntryTableType& table, int entryCount);

// The stored date text for a contact's date, or nothing when the program
// cannot keep it.
std::optional<std::string> StoredVCardDate(const VCardDay& day);

enum class VCardImportOutcome {
    Imported,      // entries added and the file saved
    NothingToAdd,  // the file is unchanged
    Cancelled,     // confirm said no; nothing changed
    Failed,        // unreadable input, too many entries or a failed save; message shown, nothing changed
};

// Reads the vCard file, plans the import into the loaded table (EntryTable,
// EntryCount), asks confirm when there is something to add, then adds the
// entries, sorts by the file's sort choice and saves target in full without
// touching its last check date. A failed save puts the table back as it was.
VCardImportOutcome ImportVCardFile(const std::string& vcardPath, const std::string& target,
                                   VCardImportCounts& counts,
                                   const std::function<bool(const VCardImportCounts&)>& confirm);

// The German summary shown after an import.
std::string VCardImportSummary(const VCardImportCounts& counts, const std::string& vcardPath);

}  // namespace tmf
