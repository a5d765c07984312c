#pragma once
// Writing a sync run's result: the appointment file through the program's
// own save, and the sync state beside it, in an order that a run killed at
// any moment leaves both whole and the next run neither duplicating nor
// losing an entry.
#include <string>

#include "ContactSync.h"
#include "SyncState.h"

namespace tmf {

enum class CommitOutcome {
    NothingToWrite,  // neither the file nor the state changes
    StateOnly,       // the file stays; ETags or tokens moved on
    Saved,           // file and state written
    Failed,          // message shown; file and table as they were
};

// Takes the loaded table (EntryTable, EntryCount of `target`) and a plan made
// over it from `basis` (the state the file holds, ReconcilePending). Writes
// the plan's state as pending, applies the plan to the table, sorts it by the
// file's choice and saves the file in full, then writes the state without
// pending. A failed save puts the table back. The last check date stays.
// `onDisk` is the state file as read: nothing is written when neither the
// file nor the state changes.
CommitOutcome CommitContactSync(const std::string& target, const std::string& statePath, const SyncStateFile& onDisk,
                                const SyncTargetState& basis, const ContactSyncPlan& plan);

// The German summary of a run into target.
std::string ContactSyncSummary(const ContactSyncReport& report, const std::string& target);

}  // namespace tmf
