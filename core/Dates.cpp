#include "Dates.h"

#include <array>

#include "Cp1252.h"
#include "Ports.h"

namespace tmf {

using namespace std::chrono;

namespace {

constexpr std::array<const char*, 7> kWeekdays = {"Sonntag",  "Montag",  "Dienstag", "Mittwoch",
                                                  "Donnerstag", "Freitag", "Samstag"};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads digits at text[i]; at most 9 so that the value fits an int.
bool ReadNumber(std::string_view text, std::size_t& i, int& value, int& digits) {
    value = 0;
    digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        if (++digits > 9) return false;
        value = value * 10 + (text[i] - '0');
        ++i;
    }
    return digits > 0;
}

year_month_day FallbackDate() { return year{100} / January / 1; }

}  // namespace

std::optional<year_month_day> ParseDate(std::string_view text) {
    // Stored dates are all "dd.mm.yyyy"; the check and the sort parse one
    // per entry, so that form is read directly.
    if (auto date = ParseNormalizedDate(text)) return date;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::size_t end = text.size();
    while (end > i && text[end - 1] == ' ') --end;
    text = text.substr(0, end);

    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int count = 0;
    while (true) {
        if (!ReadNumber(text, i, parts[count], digits[count])) return std::nullopt;
        ++count;
        if (i == text.size()) break;
        if (text[i] != '.' || count == 3) return std::nullopt;
        ++i;
    }
    if (count < 2) return std::nullopt;
    int y;
    if (count == 2) {
        y = static_cast<int>(year_month_day{Today()}.year());
    } else {
        y = parts[2];
        if (digits[2] <= 2) {
            // A short year is one that has been: "70" is 1970, and this
            // year's own digits are this year. Nobody types a birthday or
            // a jubilee that is still decades ahead with two digits.
            const int now = static_cast<int>(year_month_day{Today()}.year());
            y += now / 100 * 100;
            if (y > now) y -= 100;
        }
    }
    if (y < 1 || y > 9999 || parts[1] < 1 || parts[1] > 12 || parts[0] < 1 || parts[0] > 31)
        return std::nullopt;
    year_month_day date{year{y}, month{static_cast<unsigned>(parts[1])},
                        day{static_cast<unsigned>(parts[0])}};
    if (!date.ok()) return std::nullopt;
    return date;
}

std::string FormatDate(year_month_day date) {
    unsigned d = static_cast<unsigned>(date.day());
    unsigned m = static_cast<unsigned>(date.month());
    int y = static_cast<int>(date.year());
    std::string s = "00.00.0000";
    s[0] = static_cast<char>('0' + d / 10);
    s[1] = static_cast<char>('0' + d % 10);
    s[3] = static_cast<char>('0' + m / 10);
    s[4] = static_cast<char>('0' + m % 10);
    s[6] = static_cast<char>('0' + y / 1000 % 10);
    s[7] = static_cast<char>('0' + y / 100 % 10);
    s[8] = static_cast<char>('0' + y / 10 % 10);
    s[9] = static_cast<char>('0' + y % 10);
    return s;
}

std::string FormatDate(sys_days date) { return FormatDate(year_month_day{date}); }

std::optional<year_month_day> ParseNormalizedDate(std::string_view t) {
    if (t.size() != 10 || t[2] != '.' || t[5] != '.') return std::nullopt;
    // Every entry of a file comes through here: digits by unsigned
    // arithmetic, no loop, the calendar only for the last days of a month.
    const auto digit = [&t](std::size_t k) { return static_cast<unsigned>(static_cast<unsigned char>(t[k])) - '0'; };
    const unsigned d0 = digit(0), d1 = digit(1), m0 = digit(3), m1 = digit(4);
    const unsigned y0 = digit(6), y1 = digit(7), y2 = digit(8), y3 = digit(9);
    if (d0 > 9 || d1 > 9 || m0 > 9 || m1 > 9 || y0 > 9 || y1 > 9 || y2 > 9 || y3 > 9) return std::nullopt;
    const unsigned d = d0 * 10 + d1, m = m0 * 10 + m1;
    const int y = static_cast<int>(y0 * 1000 + y1 * 100 + y2 * 10 + y3);
    if (y < 1 || m - 1 >= 12 || d - 1 >= 31) return std::nullopt;
    const year_month_day date{year{y}, month{m}, day{d}};
    if (d > 28 && !date.ok()) return std::nullopt;
    return date;
}

bool IsNormalizedDate(std::string_view t) { return ParseNormalizedDate(t).has_value(); }

sys_days AnniversaryInYear(year_month_day date, year y) {
    year_month_day a{y, date.month(), date.day()};
    if (a.ok()) return sys_days{a};
    return sys_days{year_month_day{y, March, day{1}}};
}

int DaysToNextAnniversary(year_month_day date, sys_days today) {
    const year_month_day t{today};
    sys_days a = AnniversaryInYear(date, t.year());
    if (today > a) a = AnniversaryInYear(date, t.year() + years{1});
    return static_cast<int>((a - today).count());
}

int DateValue(year_month_day date, DateKind kind, sys_days today) {
    sys_days d{date};
    switch (kind) {
        case DateKind::NT:
            if (today < d) return static_cast<int>((d - today).count());
            return DaysToNextAnniversary(date, today);
        case DateKind::AT:
            return static_cast<int>((today - d).count());
        case DateKind::AJ: {
            year_month_day t{today};
            int r = static_cast<int>(t.year()) - static_cast<int>(date.year());
            if (date.month() > t.month() || (date.month() == t.month() && date.day() > t.day())) --r;
            return r;
        }
    }
    return 0;
}

int DateValue(std::string_view dateText, std::string_view kind) {
    DateKind k;
    if (kind == "NT") k = DateKind::NT;
    else if (kind == "AT") k = DateKind::AT;
    else if (kind == "AJ") k = DateKind::AJ;
    else {
        ShowMessage(std::string(kind) + " diese ID ist falsch !");
        return 0;
    }
    return DateValue(ParseDate(dateText).value_or(FallbackDate()), k, Today());
}

std::string DateErrorMessage(int code, std::string_view text) {
    std::string m = "Datumsfehler: " + std::to_string(code) + "\r\n\r\n";
    m += text;
    m += " ist kein gültiges Datum !\r\n\r\n"
         "Datum muß das Format TT.MM.JJJJ haben .\r\n"
         "Das Datum gilt ab dem 01.01.0100 .\r\n"
         "Der 29.02.xxxx (Schaltjahr) löst eine Fehlermeldung aus.\r\n"
         "Bei falschem Datum wird der 01.01.0100 angenommen.";
    return m;
}

std::string CheckDateText(std::string_view text, int& code) {
    code = 0;
    auto date = ParseDate(text);
    if (!date) {
        code = 3;
        return std::string(text);
    }
    if ((date->day() == day{29} && date->month() == February) || date->year() < year{100}) code = 2;
    return FormatDate(*date);
}

std::string ValidateDate(std::string_view text, int* errorCode) {
    int code = 0;
    std::string result = CheckDateText(text, code);
    if (errorCode) *errorCode = code;
    if (code == 0) return result;
    ShowMessage(DateErrorMessage(code, result));
    return kFallbackDate;
}

std::string WeekdayName(sys_days date) {
    return kWeekdays[weekday{date}.c_encoding()];
}

std::string AnniversaryWeekday(std::string_view dateText) {
    auto date = ParseDate(ValidateDate(dateText)).value_or(FallbackDate());
    sys_days today = Today();
    year_month_day t{today};
    sys_days a = AnniversaryInYear(date, t.year());
    if (today > a) a = AnniversaryInYear(date, t.year() + years{1});
    return WeekdayName(a);
}

std::string StoreLineBreaks(std::string_view text) {
    std::string s = Utf8Left(text, 255);
    for (char& c : s)
        if (c == '\r') c = '\0';
    return s;
}

std::string RestoreLineBreaks(std::string_view text) {
    std::string s = Utf8Left(text, 255);
    for (char& c : s)
        if (c == '\0') c = '\r';
    return s;
}

std::string TextLine(std::string_view text, int n) {
    std::string s = RestoreLineBreaks(text);
    std::string result;
    int breaks = 0;
    for (char c : s) {
        if (c != '\r' && c != '\n') {
            result.push_back(c);
            continue;
        }
        if (n == 0) {
            result += "  ";
            continue;
        }
        // Counted in 64 bits: the caller's n may be anything an int holds.
        if (++breaks == 2 * static_cast<long long>(n)) break;
        if (c == '\n') result.clear();
    }
    return result;
}

}  // namespace tmf
