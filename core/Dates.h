#pragma once
// Date texts are always "dd.mm.yyyy". All differences are whole days.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace tmf {

inline constexpr const char* kFallbackDate = "01.01.0100";

// A date known only by day and month (an address book may leave the year
// out) is stored in this year: the validation accepts it, no real entry
// carries it, and the next anniversary, the check and the order by date work
// from day and month as for any other date. Only what would count the years
// from it (the age, the days since) has nothing to show.
inline constexpr int kYearlessYear = 101;
inline bool IsYearless(std::chrono::year_month_day date) {
    return date.year() == std::chrono::year{kYearlessYear};
}

// A date text as the program reads it: "d.m.yyyy" with one or two digits for
// day and month; a year of one or two digits is the latest year ending in
// those digits that is not after this year (70 is 1970, and in 2026 26 is
// 2026); without a year, today's year.
// Years 1..9999. Nothing when the text is not a date of the calendar.
std::optional<std::chrono::year_month_day> ParseDate(std::string_view text);
// Only the stored form "dd.mm.yyyy" of a date of the calendar (years from 1);
// nothing for any other text. For the loops over every entry.
std::optional<std::chrono::year_month_day> ParseNormalizedDate(std::string_view text);
// "dd.mm.yyyy", years below 1000 with leading zeros.
std::string FormatDate(std::chrono::year_month_day date);
std::string FormatDate(std::chrono::sys_days date);
// True for a text that already is a valid date in the normalised form.
bool IsNormalizedDate(std::string_view text);

// The anniversary of day and month in the given year. The calendar has no
// 29 February in most years; the program never stores that date (it is
// refused as input), but should one arrive, its anniversary in a common year
// falls on 1 March, the day after 28 February.
std::chrono::sys_days AnniversaryInYear(std::chrono::year_month_day date, std::chrono::year year);

// "NT": days until the next anniversary (or until the date itself while it
// is still to come); "AT": days since the date; "AJ": whole years since the
// date. Any other kind shows kind + " diese ID ist falsch !" and yields 0.
// A text that is not a date counts as the fallback date: callers pass
// validated dates, and a stray one must not stop a sort or a check.
int DateValue(std::string_view dateText, std::string_view kind);
// The same on a parsed date, for the hot loops (kind already checked).
enum class DateKind { NT, AT, AJ };
// Days until the next anniversary of day and month, 0 on the day itself.
int DaysToNextAnniversary(std::chrono::year_month_day date, std::chrono::sys_days today);
int DateValue(std::chrono::year_month_day date, DateKind kind, std::chrono::sys_days today);

// Checks and normalises a date text; shows the "Datumsfehler" message and
// returns "01.01.0100" for a text that is not a date (code 3), for
// 29 February and for years below 100 (code 2). errorCode, when given,
// receives 0, 2 or 3.
std::string ValidateDate(std::string_view text, int* errorCode = nullptr);
// The same test without the message: the normalised text (the text itself
// when it is no date) and in code 0, 2 or 3.
std::string CheckDateText(std::string_view text, int& code);
// The message ValidateDate shows for code c and the given text.
std::string DateErrorMessage(int code, std::string_view text);

// German name of the weekday of the date's next anniversary (this year's, or
// next year's when this year's has passed).
std::string AnniversaryWeekday(std::string_view dateText);
std::string WeekdayName(std::chrono::sys_days date);

// Line breaks are held as NUL LF in the data and as CR LF on screen.
std::string StoreLineBreaks(std::string_view text);
std::string RestoreLineBreaks(std::string_view text);
// Line n (from 1) of a multi-line text, the last line for a text with fewer
// lines; n = 0 gives the whole text on one line, each CR and LF as two blanks.
std::string TextLine(std::string_view text, int n);

}  // namespace tmf
