#pragma once
// Address-book files in the vCard forms 2.1, 3.0 and 4.0: the few properties
// an appointment entry can use, read without judging anything else.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tmf {

// A date of a contact as the file gives it: year 0 when it leaves the year out.
struct VCardDay {
    int year = 0;
    unsigned month = 0;
    unsigned day = 0;
    bool operator==(const VCardDay&) const = default;
};

struct VCardDate {
    bool birthday = true;  // BDAY; otherwise one of the anniversary properties
    std::optional<VCardDay> day;  // nothing: a text value or no date of the calendar
    std::string property;         // the property it came from, upper case ("BDAY", "X-ABDATE")
};

struct VCardContact {
    std::string uid;
    std::string givenName;   // UTF-8 throughout
    std::string familyName;
    std::string formattedName;
    std::string organization;
    std::string phone;
    std::string fax;
    std::string email;
    std::vector<std::string> addressLines;
    std::vector<VCardDate> dates;
};

struct VCardFile {
    std::vector<VCardContact> contacts;
};

// Every contact between BEGIN:VCARD and END:VCARD (an unterminated last one
// included). Lines may end in CR LF, LF or CR; folded lines and
// quoted-printable soft breaks are joined; CHARSET= is honoured, and a value
// without one is taken as UTF-8 when it is well-formed, else as Windows-1252.
// The dates are BDAY, ANNIVERSARY and the anniversaries other writers name
// X-ANNIVERSARY, X-EVOLUTION-ANNIVERSARY, X-MS-ANNIVERSARY,
// X-KADDRESSBOOK-X-ANNIVERSARY, or write as an X-ABDATE labelled
// "_$!<Anniversary>!$_" in the X-ABLABEL of the same group. A date with the
// parameter X-APPLE-OMIT-YEAR, or in that writer's stand-in year 1604, has
// no known year.
VCardFile ReadVCards(std::string_view bytes);

// The same contacts one at a time, in the order of the file, without
// keeping them; reading stops as soon as take returns false. Returns
// whether the whole file was read.
bool ForEachVCard(std::string_view bytes, const std::function<bool(VCardContact&&)>& take);

// "YYYY-MM-DD", "YYYYMMDD", "--MMDD", "--MM-DD", each optionally followed by
// a time part "T..."; nothing for any other form or a day the calendar does
// not have (a yearless day is judged against a leap year).
std::optional<VCardDay> ParseVCardDate(std::string_view value);

}  // namespace tmf
