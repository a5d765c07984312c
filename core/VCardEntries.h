#pragma once
// What one contact of an address book gives the appointment file: its
// birthdays and anniversaries as entries, and why any other date of it is
// left out. The file import and the server sync both make their entries
// here, so a contact gives the same entries whichever way it comes.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "EntryTable.h"
#include "VCard.h"

namespace tmf {

inline constexpr const char* kBirthdayTerm = "Geburtstag";
inline constexpr const char* kAnniversaryTerm = "Jahrestag";

enum class VCardSkipReason {
    NoDate,    // the contact has no birthday and no anniversary
    NotADate,  // a text value ("um 1950") or no day of the calendar
    LeapDay,   // 29 February, which the program does not store
    TooEarly,  // a year before 100, which the program cannot tell from a two-digit one
};

struct VCardSkip {
    VCardSkipReason reason;
    std::string term;  // kBirthdayTerm or kAnniversaryTerm; empty for NoDate
};

struct VCardContactEntries {
    std::string uid;        // the contact's UID, empty when it has none
    std::vector<Row> rows;  // new entries as the editor makes them, in the card's order
    std::vector<VCardSkip> skipped;
    bool namesChanged = false;  // the names had to be brought to storable characters or cut
};

// The entries of one contact. A date without a year gets kYearlessYear; the
// same term and day given twice (writers often name one anniversary two
// ways) gives one entry.
VCardContactEntries EntriesOfContact(const VCardContact& contact);

// The entries of the first contact in a vCard text (a resource of an
// address book server holds exactly one); nothing when the text holds none.
std::optional<VCardContactEntries> EntriesOfVCard(std::string_view text);

// Entries with the same key are the same to the import: names, term, day and
// month. The year does not count, so that a birthday kept with its year and
// given again without it (or the other way round) is not added twice.
std::string VCardDuplicateKey(const Row& row);

// The stored date text for a contact's date, or nothing when the program
// cannot keep it.
std::optional<std::string> StoredVCardDate(const VCardDay& day);

// "Geburtstag: 29. Februar", for a summary that names what was left out.
std::string VCardSkipText(const VCardSkip& skip);

}  // namespace tmf
