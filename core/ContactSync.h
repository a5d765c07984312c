#pragma once
// The decisions of the address-book sync, without any network: given the
// file's entries, what the last run wrote (SyncState.h) and what the server
// holds now, what a run adds, changes, keeps, reports and skips.
//
// - A new contact adds its entries by the rules of the vCard import (same
//   terms, same names, same duplicates test, same yearless handling).
// - A contact whose dates or names changed on the server changes its
//   entries: the contact's fields only; remark, leads and delete flag stay
//   the user's, and a moved date re-arms the entry as the editor does.
// - An entry the user changed or deleted since the last run is never written
//   again: kept and named as a conflict when the server changed its contact.
// - A contact deleted on the server, or a date it no longer has, leaves its
//   entry in the file; it is named once and no longer kept in step.
// - Entries that did not come from the server are never touched.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "EntryTable.h"
#include "SyncState.h"

namespace tmf {

// Raise when the reading of vCards learns something (a property, a date
// form): the next run then reads every contact again, not only the changed.
inline constexpr int kContactRulesVersion = 1;

ContactFields FieldsOfRow(const Row& row);
// Writes the contact's fields of a row, leaving the user's fields.
void WriteContactFields(const ContactFields& fields, Row& row);

// One contact of an address book as the server holds it now.
struct ServerContact {
    std::string href;  // the path of its URL
    std::string etag;
    // Its vCard, when fetched in this run; nothing when the ETag is the one
    // the last run saw and the text was not asked for.
    std::optional<std::string> vcard;
};

// What one address book gave in a run. A book that could not be read is not
// handed in at all: what the last run knew of it stays as it is.
struct AddressBookChanges {
    std::string url;
    std::string name;   // its display name, for the summary
    bool complete = false;  // `contacts` lists every contact; a known one missing there was deleted
    std::vector<ServerContact> contacts;  // the changed and the new ones (complete: every one)
    std::vector<std::string> removed;     // hrefs the server reported deleted
    std::string syncToken;
    std::string ctag;
};

// One line of the summary.
struct SyncNote {
    std::string name;    // "Vorname Nachname" as the entry has it, or the contact's href
    std::string term;    // Geburtstag, Jahrestag; empty for a whole contact
    std::string date;    // as stored; empty for a whole contact
    std::string reason;  // German, for skips and conflicts
};

struct ContactSyncReport {
    std::vector<SyncNote> added;
    std::vector<SyncNote> changed;
    std::vector<SyncNote> conflicts;        // changed by the user here; the server's change is not taken
    std::vector<SyncNote> deletedOnServer;  // entries of contacts deleted on the server; left in the file
    std::vector<SyncNote> datesRemoved;     // a date the contact no longer has; the entry left in the file
    std::vector<SyncNote> skipped;          // unreadable vCards, dates the program cannot keep
    std::vector<SyncNote> alreadyThere;     // an entry of the same names, term and day was in the file
    int kept = 0;         // entries in step that stay as they are
    int withoutDate = 0;  // contacts without a birthday or anniversary
    int namesAdjusted = 0;
};

struct ContactSyncPlan {
    std::vector<Row> additions;
    std::vector<std::pair<int, Row>> changes;  // a row of the table and its new content
    SyncTargetState state;                     // what the next run starts from once the file is saved
    std::vector<ContactFields> writes;         // contact fields of additions and changes as the file will hold them
    ContactSyncReport report;
    bool fileChanges() const { return !additions.empty() || !changes.empty(); }
};

// Decides a run over the table's entries 1..entryCount. Books the last state
// knows that are not in `books` stay as they were.
ContactSyncPlan PlanContactSync(const EntryTableType& table, int entryCount, const SyncTargetState& last,
                                const std::vector<AddressBookChanges>& books);

// The state a file holds after a run that may have been killed: the pending
// state when the file shows that its writes were saved (or it had none),
// else the current one.
SyncTargetState ReconcilePending(const SyncStateFile& state, const EntryTableType& table, int entryCount);

// True when the state, for a run under the present rules, needs every
// contact read again.
inline bool NeedsFullRead(const SyncTargetState& state) { return state.rulesVersion != kContactRulesVersion; }

}  // namespace tmf
