#pragma once
// The decisions of publishing an appointment file to a calendar, without
// any network: which event resources a run creates, changes or deletes,
// given the file's events and what the last run wrote (SyncState.h), and
// how an event found on the server is told apart from someone else's.
//
// - Each entry is one event resource, the event of the iCalendar export, at
//   a path made from its UID, so that a run that ended before it heard the
//   answer finds its own resource again.
// - Only events this program created are ever changed or deleted; a
//   calendar's other events are never looked at.
// - Nothing changed in the file: nothing is written.
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "EntryTable.h"
#include "SyncState.h"

namespace tmf {

// A hash of an event's content as a calendar server may give it back:
// lines unfolded, DTSTAMP left out (it says when, not what), the order of
// the properties and of the alarms not counted (servers reorder them). Of
// the VEVENT components only; "" when the text holds none.
std::string EventFingerprint(std::string_view icalendar);
// The UID and the SUMMARY (unescaped) of the first VEVENT; "" when none.
std::string EventUidOf(std::string_view icalendar);
std::string EventSummaryOf(std::string_view icalendar);

// The path of an entry's event resource inside the collection (which ends
// in "/"): the UID's own part, which holds only hex digits and "-".
std::string EventHref(const std::string& collectionPath, const std::string& uid);

// What the file wants the calendar to hold.
struct WantedEvent {
    std::string uid;
    std::string fingerprint;
    int row = 0;  // in the table the events were made from
    std::string summary;  // "Anna Berg: Geburtstag", for messages
};
// The events of rows 1..entryCount, fingerprinted with their stamp left out.
std::vector<WantedEvent> WantedEvents(const EntryTableType& table, int entryCount);

enum class PublishAction {
    Create,  // PUT If-None-Match: * (also where the ETag is not known)
    Update,  // PUT If-Match: the ETag of the last run
    Delete,  // DELETE If-Match: the ETag of the last run (none known: looked up first)
};

struct PublishStep {
    PublishAction action = PublishAction::Create;
    std::string uid;
    std::string href;
    std::string ifMatch;      // empty for Create, and for a Delete whose ETag is not known
    std::string fingerprint;  // wanted; empty for Delete
    int row = 0;              // 0 for Delete
    std::string summary;      // of the entry, or of the event last written for a Delete
};

struct PublishPlan {
    std::vector<PublishStep> steps;
    int unchanged = 0;
    // The last state with the intent of every step recorded: written before
    // the first request goes out.
    PublishedCalendar withIntents;
    // Events to forget without a request: deleted elsewhere, kept so, and
    // now gone from the file too.
    std::vector<std::string> forgotten;
};

PublishPlan PlanPublish(const std::vector<WantedEvent>& wanted, const PublishedCalendar& last,
                        const std::string& collectionPath);

// True when the server's copy of an event (its fingerprint) is one this
// program wrote or was writing: then it may be written over without asking.
// Anything else was changed by someone else.
bool IsOurOwnVersion(const PublishedEvent& known, const std::string& wantedFingerprint,
                     const std::string& serverFingerprint);

// What one run did in one calendar, for the summary.
struct PublishReport {
    std::vector<std::string> created;
    std::vector<std::string> updated;
    std::vector<std::string> deleted;
    // Changed or deleted elsewhere since the last run; not overwritten.
    std::vector<std::string> conflicts;
    std::vector<std::string> overwritten;  // conflicts the user chose to overwrite
    std::vector<std::string> keptServers;  // conflicts the user chose to leave as the server has them
    std::vector<std::string> refused;      // "Anna Berg: Geburtstag: why", German
    int unchanged = 0;
    int notSent = 0;  // left for the next run after a fault that ended the run
};

// "Termine aus Geburtstage.tmf im Kalender „Familie“:" and the counts and names.
std::string PublishSummary(const PublishReport& report, const std::string& target, const std::string& calendarName);

}  // namespace tmf
