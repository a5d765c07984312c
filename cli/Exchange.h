#pragma once
// --vcard and --ics: the address-book import and the calendar export of the
// windowed program, for a terminal.
#include <string>

namespace tmf::cli {

// Adds the dates of vcard to target and saves it; prints the summary.
// Returns 0, or 1 when nothing could be imported (nothing is written then).
int ImportVCard(const std::string& vcard, const std::string& target);

// Writes the entries of source as a calendar file to ics; prints how many.
// Returns 0, or 1 when the source cannot be read or the file not written.
int ExportICalendarFile(const std::string& ics, const std::string& source);

}  // namespace tmf::cli
