#include "VCardImport.h"

#include <algorithm>
#include <new>

#include "AppointmentFile.h"
#include "FileIo.h"
#include "Ports.h"
#include "Sort.h"
#include "State.h"

namespace tmf {

VCardImportPlanner::VCardImportPlanner(const EntryTableType& table, int entryCount) {
    const int last = std::min(entryCount, table.lastRow());
    for (int r = 1; r <= last; ++r) known_.insert(VCardDuplicateKey(table.row(r)));
}

void VCardImportPlanner::add(const VCardContact& contact) {
    VCardContactEntries entries = EntriesOfContact(contact);
    plan_.counts.skipped += static_cast<int>(entries.skipped.size());
    if (entries.namesChanged) ++plan_.counts.namesChanged;
    for (Row& row : entries.rows) {
        if (!known_.insert(VCardDuplicateKey(row)).second) {
            ++plan_.counts.alreadyThere;
            continue;
        }
        plan_.rows.push_back(std::move(row));
        ++plan_.counts.added;
    }
}

VCardImportPlan PlanVCardImport(const VCardFile& file, const EntryTableType& table, int entryCount) {
    VCardImportPlanner planner(table, entryCount);
    for (const VCardContact& c : file.contacts) planner.add(c);
    return std::move(planner.plan());
}

VCardImportOutcome ImportVCardFile(const std::string& vcardPath, const std::string& target,
                                   VCardImportCounts& counts,
                                   const std::function<bool(const VCardImportCounts&)>& confirm) {
    counts = {};
    if (EntryCount < 0 || EntryCount > EntryTable.lastRow()) {
        ShowMessage("Die Einträge von " + target + " sind nicht vollständig geladen.\r\nEs wurde nichts importiert.",
                    MessageKind::Error);
        return VCardImportOutcome::Failed;
    }
    VCardImportPlan plan;
    bool complete = false;
    int contacts = 0;
    const std::size_t room = static_cast<std::size_t>(kMaxEntries - std::min(EntryCount, kMaxEntries));
    try {
        IoError error;
        auto bytes = ReadWholeFile(vcardPath, &error);
        if (!bytes) {
            ShowMessage(vcardPath + " konnte nicht gelesen werden !\r\n" + error.reason, MessageKind::Error);
            return VCardImportOutcome::Failed;
        }
        VCardImportPlanner planner(EntryTable, EntryCount);
        complete = ForEachVCard(*bytes, [&](VCardContact&& c) {
            ++contacts;
            planner.add(c);
            return planner.plan().rows.size() <= room;
        });
        plan = std::move(planner.plan());
    } catch (const std::bad_alloc&) {
        ShowMessage(vcardPath + " ist zu groß, um gelesen zu werden !\r\nEs wurde nichts importiert.", MessageKind::Error);
        return VCardImportOutcome::Failed;
    }
    if (contacts == 0) {
        ShowMessage(vcardPath + " enthält keine vCard-Kontakte !", MessageKind::Error);
        return VCardImportOutcome::Failed;
    }
    counts = plan.counts;
    if (!complete) {
        ShowMessage("Eine Datei faßt höchstens " + std::to_string(kMaxEntries) + " Einträge: " +
                        std::to_string(EntryCount) + " vorhanden, mehr als " + std::to_string(room) +
                        " neu.\r\nEs wurde nichts importiert.",
                    MessageKind::Error);
        counts.added = 0;
        return VCardImportOutcome::Failed;
    }
    if (plan.rows.empty()) return VCardImportOutcome::NothingToAdd;
    const auto total = static_cast<long long>(EntryCount) + static_cast<long long>(plan.rows.size());
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
