#pragma once
// Bringing the birthdays and anniversaries of an address book into the
// current appointment file.
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "EntryTable.h"
#include "VCard.h"
#include "VCardEntries.h"

namespace tmf {

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

// Gathers the entries of contacts one by one, leaving out those the table
// (rows 1..entryCount) or an earlier contact holds already.
class VCardImportPlanner {
public:
    VCardImportPlanner(const EntryTableType& table, int entryCount);
    void add(const VCardContact& contact);
    VCardImportPlan& plan() { return plan_; }

private:
    VCardImportPlan plan_;
    std::set<std::string> known_;
};

// The entries all contacts of the file give (see EntriesOfContact).
VCardImportPlan PlanVCardImport(const VCardFile& file, const EntryTableType& table, int entryCount);

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
// Besides the file's bytes it holds little more than the entries to add: a
// file with more new entries than the table has room for is refused as soon
// as the first one too many is read.
VCardImportOutcome ImportVCardFile(const std::string& vcardPath, const std::string& target,
                                   VCardImportCounts& counts,
                                   const std::function<bool(const VCardImportCounts&)>& confirm);

// The German summary shown after an import.
std::string VCardImportSummary(const VCardImportCounts& counts, const std::string& vcardPath);

}  // namespace tmf
