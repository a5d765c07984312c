#include "ICalendar.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>

#include "Dates.h"
#include "FileIo.h"
#include "Ports.h"
#include "State.h"

namespace tmf {
namespace {

using namespace std::chrono;

// Calendars reckon their dates in the Gregorian calendar from 1583 on; some
// switch to another calendar before. An entry older than that (the fallback
// date, a date without a year) starts with its anniversary in this year.
constexpr int kFirstCalendarYear = 1583;

std::string Digits(int value, int width) {
    std::string s = std::to_string(value);
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
    return s;
}

std::string IcsDate(sys_days d) {
    const year_month_day ymd{d};
    return Digits(static_cast<int>(ymd.year()), 4) + Digits(static_cast<int>(static_cast<unsigned>(ymd.month())), 2) +
           Digits(static_cast<int>(static_cast<unsigned>(ymd.day())), 2);
}

// TEXT values escape backslash, semicolon and comma; line breaks become "\n".
std::string EscapeText(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' || c == ';' || c == ',') {
            out += '\\';
            out += c;
        } else if (c == '\0' || c == '\r' || c == '\n') {
            // Stored breaks are NUL LF, typed ones CR LF: one break either way.
            if ((c == '\0' || c == '\r') && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\\n";
        } else if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

std::string Trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    std::size_t k = 0;
    while (k < s.size() && s[k] == ' ') ++k;
    return s.substr(k);
}

int Lead(const Cell& cell) {
    // The check stores a given first warning negated; its lead is the same.
    const auto v = cell.toInteger().value_or(0);
    const auto a = v < 0 ? -v : v;
    return static_cast<int>(a > 999 ? 999 : a);
}

void Line(std::string& out, std::string_view line) { out += FoldContentLine(line); }

}  // namespace

std::string FoldContentLine(std::string_view line) {
    std::string out;
    std::size_t used = 0;  // octets on the current physical line
    for (std::size_t i = 0; i < line.size();) {
        std::size_t n = 1;
        const auto c = static_cast<unsigned char>(line[i]);
        if (c >= 0xF0) n = 4;
        else if (c >= 0xE0) n = 3;
        else if (c >= 0xC0) n = 2;
        n = std::min(n, line.size() - i);
        if (used + n > 75) {
            out += "\r\n ";
            used = 1;
        }
        out.append(line.substr(i, n));
        used += n;
        i += n;
    }
    out += "\r\n";
    return out;
}

std::string EntryUid(std::string_view first, std::string_view last, std::string_view term, int occurrence) {
    // FNV-1a over the three texts with a separator no text holds.
    std::uint64_t h = 14695981039346656037ull;
    auto mix = [&h](std::string_view s) {
        for (char c : s) {
            h ^= static_cast<unsigned char>(c);
            h *= 1099511628211ull;
        }
        h ^= 0x1f;
        h *= 1099511628211ull;
    };
    mix(first);
    mix(last);
    mix(term);
    static constexpr char kHex[] = "0123456789abcdef";
    std::string uid;
    for (int shift = 60; shift >= 0; shift -= 4) uid += kHex[(h >> shift) & 0xF];
    if (occurrence > 0) uid += "-" + std::to_string(occurrence + 1);
    return uid + "@termifolio98";
}

std::vector<EntryEvent> EntryEvents(const EntryTableType& table, int entryCount) {
    std::vector<EntryEvent> out;
    std::map<std::string, int> seen;
    const int last = std::min(entryCount, table.lastRow());
    for (int r = 1; r <= last; ++r) {
        const std::string first = table(Vorname, r).asText();
        const std::string lastName = table(Nachname, r).asText();
        const std::string term = table(Terminart, r).asText();
        out.push_back({EntryUid(first, lastName, term, seen[first + '\x1f' + lastName + '\x1f' + term]++), r});
    }
    return out;
}

namespace {

void WriteEvent(std::string& out, const EntryTableType& table, int r, const std::string& uid, sys_days stamp) {
    const std::string first = table(Vorname, r).asText();
    const std::string lastName = table(Nachname, r).asText();
    const std::string term = table(Terminart, r).asText();
    const std::string dateText = table(TerminAm, r).asText();
    const year_month_day date = ParseDate(dateText).value_or(year{100} / January / 1);
    const bool leapDay = date.month() == February && date.day() == day{29};
    sys_days start{date};
    if (date.year() < year{kFirstCalendarYear}) start = AnniversaryInYear(date, year{kFirstCalendarYear});

    Line(out, "BEGIN:VEVENT");
    Line(out, "UID:" + uid);
    Line(out, "DTSTAMP:" + IcsDate(stamp) + "T000000Z");
    Line(out, "DTSTART;VALUE=DATE:" + IcsDate(start));
    Line(out, "DTEND;VALUE=DATE:" + IcsDate(start + days{1}));
    // The program's anniversary of 29 February is 1 March in common
    // years: exactly the 60th day of every year.
    Line(out, leapDay ? "RRULE:FREQ=YEARLY;BYYEARDAY=60" : "RRULE:FREQ=YEARLY");
    const std::string names = Trimmed(first + " " + lastName);
    Line(out, "SUMMARY:" + EscapeText(names + ": " + term));
    const std::string remark = table(Bemerkung, r).asText();
    if (!remark.empty()) Line(out, "DESCRIPTION:" + EscapeText(remark));
    Line(out, "TRANSP:TRANSPARENT");
    std::set<int> leads;
    for (int lead : {Lead(table(Warnung1, r)), Lead(table(Warnung2, r))})
        if (lead > 0) leads.insert(lead);
    for (auto it = leads.rbegin(); it != leads.rend(); ++it) {
        Line(out, "BEGIN:VALARM");
        Line(out, "ACTION:DISPLAY");
        Line(out, "TRIGGER:-P" + std::to_string(*it) + "D");
        Line(out, "DESCRIPTION:" + EscapeText(names + " hat in " + std::to_string(*it) + " Tag(en) " + term + " !"));
        Line(out, "END:VALARM");
    }
    Line(out, "END:VEVENT");
}

void BeginCalendar(std::string& out) {
    Line(out, "BEGIN:VCALENDAR");
    Line(out, "VERSION:2.0");
    Line(out, "PRODID:-//Termifolio98//Termifolio98 " + std::string(kVersionText) + "//DE");
    Line(out, "CALSCALE:GREGORIAN");
}

}  // namespace

std::string WriteICalendar(const EntryTableType& table, int entryCount, sys_days stamp) {
    std::string out;
    BeginCalendar(out);
    for (const EntryEvent& e : EntryEvents(table, entryCount)) WriteEvent(out, table, e.row, e.uid, stamp);
    Line(out, "END:VCALENDAR");
    return out;
}

std::string WriteEventResource(const EntryTableType& table, int row, const std::string& uid, sys_days stamp) {
    std::string out;
    BeginCalendar(out);
    WriteEvent(out, table, row, uid, stamp);
    Line(out, "END:VCALENDAR");
    return out;
}

std::string WriteEventCollection(const EntryTableType& table, const std::vector<EntryEvent>& events,
                                 std::string_view calendarName, sys_days stamp) {
    std::string out;
    BeginCalendar(out);
    if (!calendarName.empty()) Line(out, "X-WR-CALNAME:" + EscapeText(std::string(calendarName)));
    for (const EntryEvent& e : events) WriteEvent(out, table, e.row, e.uid, stamp);
    Line(out, "END:VCALENDAR");
    return out;
}

bool ExportICalendar(const std::string& path) {
    const int n = LastEntryRow();
    IoError error;
    if (WriteFileAtomically(path, WriteICalendar(EntryTable, n, Today()), &error)) return true;
    ShowMessage("Die Datei " + path + " konnte nicht gespeichert werden !\r\n" + error.reason, MessageKind::Error);
    return false;
}

std::string ICalendarSummary(int count, const std::string& path) {
    return std::to_string(count) + (count == 1 ? " Termin" : " Termine") + " nach " + ExtractFileName(path) + " exportiert.";
}

}  // namespace tmf
