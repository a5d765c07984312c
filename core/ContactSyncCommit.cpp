#include "ContactSyncCommit.h"

#include "AppointmentFile.h"
#include "Dates.h"
#include "FileIo.h"
#include "Ports.h"
#include "Sort.h"
#include "State.h"
#include "SyncText.h"

namespace tmf {
namespace {

bool WriteState(const std::string& path, const SyncStateFile& state) {
    IoError error;
    if (WriteSyncState(path, state, &error)) return true;
    ShowMessage("Der Abgleichsstand " + path + " konnte nicht gespeichert werden !\r\n" + error.reason,
                MessageKind::Error);
    return false;
}

std::string DateText(const std::string& stored) {
    const auto date = ParseNormalizedDate(stored);
    if (date && IsYearless(*date)) return stored.substr(0, 6);
    return stored;
}

void List(std::string& out, const std::string& heading, const std::vector<SyncNote>& notes) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < notes.size() && i < kNamesPerKind; ++i) {
        const SyncNote& n = notes[i];
        std::string line = n.name.empty() ? std::string("(ohne Namen)") : n.name;
        if (!n.term.empty()) line += " (" + n.term + " " + DateText(n.date) + ")";
        if (!n.reason.empty()) line += ": " + n.reason;
        lines.push_back(std::move(line));
    }
    AppendNameList(out, heading, lines, notes.size());
}

}  // namespace

CommitOutcome CommitContactSync(const std::string& target, const std::string& statePath, const SyncStateFile& onDisk,
                                const SyncTargetState& basis, const ContactSyncPlan& plan) {
    SyncStateFile stateFile;
    stateFile.target = target;
    stateFile.current = basis;
    // What the publishing recorded is not this run's to drop.
    stateFile.calendars = onDisk.calendars;
    if (!plan.fileChanges()) {
        if (plan.state == onDisk.current && !onDisk.pending && onDisk.target == target)
            return CommitOutcome::NothingToWrite;
        stateFile.current = plan.state;
        return WriteState(statePath, stateFile) ? CommitOutcome::StateOnly : CommitOutcome::Failed;
    }
    const long long total = static_cast<long long>(EntryCount) + static_cast<long long>(plan.additions.size());
    if (total > kMaxEntries) {
        ShowMessage("Eine Datei faßt höchstens " + std::to_string(kMaxEntries) + " Einträge: " +
                        std::to_string(EntryCount) + " vorhanden, " + std::to_string(plan.additions.size()) +
                        " neu.\r\nDer Abgleich hat nichts geändert.",
                    MessageKind::Error);
        return CommitOutcome::Failed;
    }

    // Killed after this write, the next run finds the file either as it was
    // or with every row of this plan, and takes the state that fits.
    SyncStateFile withPending = stateFile;
    withPending.pending = plan.state;
    withPending.pendingWrites = plan.writes;
    if (!WriteState(statePath, withPending)) return CommitOutcome::Failed;

    TableOperation operation;
    const EntryTableType before = EntryTable;
    const std::int32_t countBefore = EntryCount;
    const std::int32_t modifiedBefore = Modified;
    for (const auto& [row, content] : plan.changes) EntryTable.row(row) = content;
    const int first = EntryCount + 1;
    EntryCount = static_cast<std::int32_t>(total);
    ResizeEntryTable(EntryCount);
    for (std::size_t i = 0; i < plan.additions.size(); ++i)
        EntryTable.row(first + static_cast<int>(i)) = plan.additions[i];
    SortEntriesByFileChoice();
    // No "Datum": the last check date stays, or the entries due since then
    // would never be reported as passed over.
    if (!SaveAppointmentFile(target, "Alles", "")) {
        EntryTable = before;
        EntryCount = countBefore;
        Modified = modifiedBefore;
        WriteState(statePath, stateFile);  // pending would be dropped by the next run anyway
        return CommitOutcome::Failed;
    }
    Modified = 0;
    stateFile.current = plan.state;
    // Should this fail, the pending state written above is the right one
    // and the next run takes it from there.
    WriteState(statePath, stateFile);
    return CommitOutcome::Saved;
}

std::string ContactSyncSummary(const ContactSyncReport& r, const std::string& target) {
    std::string out = "Abgleich der Adreßbücher mit " + ExtractFileName(target) + ":\r\n\r\n";
    out += CountText(r.added.size(), "Eintrag", "Einträge") + " hinzugefügt\r\n";
    out += CountText(r.changed.size(), "Eintrag", "Einträge") + " geändert\r\n";
    out += CountText(static_cast<std::size_t>(r.kept), "Eintrag", "Einträge") + " unverändert\r\n";
    if (!r.conflicts.empty())
        out += CountText(r.conflicts.size(), "Eintrag", "Einträge") + " hier geändert und behalten (Konflikt)\r\n";
    if (!r.deletedOnServer.empty())
        out += CountText(r.deletedOnServer.size(), "Eintrag", "Einträge") +
               " von Kontakten, die auf dem Server gelöscht wurden, in der Datei belassen\r\n";
    if (!r.datesRemoved.empty())
        out += CountText(r.datesRemoved.size(), "Eintrag", "Einträge") +
               " mit einem Datum, das der Kontakt nicht mehr hat, in der Datei belassen\r\n";
    if (!r.alreadyThere.empty()) out += CountText(r.alreadyThere.size(), "Termin", "Termine") + " schon vorhanden\r\n";
    out += CountText(r.skipped.size(), "Datum oder Kontakt", "Daten oder Kontakte") + " übergangen\r\n";
    if (r.withoutDate > 0)
        out += CountText(static_cast<std::size_t>(r.withoutDate), "Kontakt", "Kontakte") + " ohne Geburts- oder Jahrestag\r\n";
    if (r.namesAdjusted > 0)
        out += CountText(static_cast<std::size_t>(r.namesAdjusted), "Name", "Namen") + " für die Speicherung angepaßt\r\n";
    const bool details = !r.added.empty() || !r.changed.empty() || !r.conflicts.empty() ||
                         !r.deletedOnServer.empty() || !r.datesRemoved.empty() || !r.skipped.empty() ||
                         !r.alreadyThere.empty();
    if (details) out += "\r\n";
    List(out, "Hinzugefügt:", r.added);
    List(out, "Geändert:", r.changed);
    List(out, "Konflikte (Ihre Änderung bleibt):", r.conflicts);
    List(out, "Auf dem Server gelöscht (Eintrag bleibt):", r.deletedOnServer);
    List(out, "Datum entfernt (Eintrag bleibt):", r.datesRemoved);
    List(out, "Übergangen:", r.skipped);
    List(out, "Schon vorhanden:", r.alreadyThere);
    return out;
}

}  // namespace tmf
