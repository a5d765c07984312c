#pragma once
// What the server sync remembers between runs, one file per appointment file:
// per address book its sync token and ctag, per contact read from it the
// href, ETag and UID and the entries the sync wrote for it, as they were
// written. The appointment file has no room for an id, so those entries are
// how the sync finds its own rows again, and how it tells a row the user
// edited from one it may still keep in step.
//
// The state lives in the data folder beside the files it describes: it is
// written under the same data-folder lock as they are, and a backup or a move
// of the folder keeps files and links together.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FileIo.h"

namespace tmf {

// The fields of an entry that a contact gives. The others (remark, leads, the
// reached flag, the delete flag) are the user's and the check's; a sync never
// writes them.
struct ContactFields {
    std::string vorname;
    std::string nachname;
    std::string terminAm;
    std::string terminart;
    std::string telFaxMail;  // line breaks as stored: NUL LF
    std::string adresse;
    bool operator==(const ContactFields&) const = default;
};

struct SyncedContact {
    std::string etag;
    std::string uid;
    bool unreadable = false;  // its vCard did not parse; read again once its ETag changes
    std::vector<ContactFields> entries;  // as the sync last wrote them into the file
    bool operator==(const SyncedContact&) const = default;
};

struct SyncedAddressBook {
    std::string syncToken;  // empty: the server offers none, or no run finished
    std::string ctag;
    std::map<std::string, SyncedContact> contacts;  // by href (the URL's path)
    bool operator==(const SyncedAddressBook&) const = default;
};

struct SyncTargetState {
    // The contact rules (kContactRulesVersion) the entries were made by; a
    // run under other rules reads every contact again.
    int rulesVersion = 0;
    std::map<std::string, SyncedAddressBook> books;  // by collection URL
    bool operator==(const SyncTargetState&) const = default;
};

// One event that publishing put into a calendar, by its UID.
struct PublishedEvent {
    std::string href;  // the path of its URL
    // Empty while not known: a write was under way when a run ended, or the
    // server did not say. The next run finds out before it writes.
    std::string etag;
    std::string fingerprint;  // of the event as last written (EventFingerprint)
    // A write under way: the fingerprint being written, or kDeleting. Set
    // before the request goes out, cleared once its answer is recorded, so
    // that the next run after a kill knows the server may hold either.
    std::string intent;
    // Deleted elsewhere, and the user chose to keep it so: nothing is sent
    // until the entry changes.
    bool gone = false;
    static constexpr const char* kDeleting = "-";
    bool operator==(const PublishedEvent&) const = default;
};

struct PublishedCalendar {
    std::map<std::string, PublishedEvent> events;  // by UID
    bool operator==(const PublishedCalendar&) const = default;
};

// The state of one appointment file. A run that changes the file writes its
// new state as `pending` first, saves the file, then writes the state again
// without it; a run killed in between leaves `pending`, and the next one
// tells from the file which of the two states holds (ReconcilePending).
struct SyncStateFile {
    std::string target;  // the appointment file, as the run named it
    SyncTargetState current;
    std::optional<SyncTargetState> pending;
    std::vector<ContactFields> pendingWrites;  // rows the pending run adds or changes, as they will read
    // The calendars the file is published to, by collection URL; apart from
    // the contact states above, which concern what comes in.
    std::map<std::string, PublishedCalendar> calendars;
    bool operator==(const SyncStateFile&) const = default;
};

// "<data folder>Abgleich/<file name>-<16 hex digits of the path>.txt": one
// file per appointment file, recognisable by name, two files of one name in
// different folders kept apart.
std::string SyncStatePath(const std::string& dataDir, const std::string& targetFile);

// The state as text (a line format: a keyword, then tab-separated fields
// with tab, line breaks, NUL and backslash escaped) and back. Nothing when
// the text is not a state this program wrote whole.
std::string FormatSyncState(const SyncStateFile& state);
std::optional<SyncStateFile> ParseSyncState(std::string_view text);

enum class SyncStateRead { Read, Missing, Damaged };
// Missing leaves state empty; Damaged says why in error.
SyncStateRead ReadSyncState(const std::string& path, SyncStateFile& state, IoError* error = nullptr);
// Replaces the file whole (temporary file, flush, rename), creating its
// folder when missing.
bool WriteSyncState(const std::string& path, const SyncStateFile& state, IoError* error = nullptr);

}  // namespace tmf
