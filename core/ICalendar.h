#pragma once
// The entries as a calendar file (iCalendar), so that the dates show in the
// calendar the user looks at every day.
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "EntryTable.h"

namespace tmf {

// One all-day yearly event per entry (rows 1..entryCount of the table), in
// UTF-8 with CR LF line ends, lines folded at 75 octets. Every occurrence
// falls on the day the program itself counts as the entry's anniversary;
// an entry dated 29 February recurs on the 60th day of the year, which is
// 29 February in leap years and 1 March, the program's day, in the others.
// The UID of an entry stays the same from one export to the next as long as
// its names and term do, so a calendar updates its event instead of adding
// another. stamp is the day written as DTSTAMP.
std::string WriteICalendar(const EntryTableType& table, int entryCount, std::chrono::sys_days stamp);

// The UID of an entry whose names and term are first, last, term; the
// occurrence counts earlier entries with the same three (0 for the first).
std::string EntryUid(std::string_view first, std::string_view last, std::string_view term, int occurrence);

// The event of each entry: its UID and its row, in the table's order.
struct EntryEvent {
    std::string uid;
    int row = 0;
};
std::vector<EntryEvent> EntryEvents(const EntryTableType& table, int entryCount);

// One entry's event alone, as a calendar object of its own (a calendar
// server keeps each event as a resource of its own): the same event that
// WriteICalendar writes for that row.
std::string WriteEventResource(const EntryTableType& table, int row, const std::string& uid,
                               std::chrono::sys_days stamp);

// The events of the given rows as one calendar named calendarName (a
// server that takes a whole calendar in one request keeps the name).
std::string WriteEventCollection(const EntryTableType& table, const std::vector<EntryEvent>& events,
                                 std::string_view calendarName, std::chrono::sys_days stamp);

// Writes the loaded entries to path, replacing it only once it is complete.
// Shows a message and returns false on failure.
bool ExportICalendar(const std::string& path);

// "12 Termine nach Geburtstage.ics exportiert."
std::string ICalendarSummary(int count, const std::string& path);

// Folds one content line at 75 octets, never inside a UTF-8 sequence, and
// ends it (and every continuation) with CR LF.
std::string FoldContentLine(std::string_view line);

}  // namespace tmf
