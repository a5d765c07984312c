// The calendar export: what a real calendar program makes of the file.
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "CoreFixture.h"
#include "Cp1252Fold.h"
#include "Dates.h"
#include "ICalendar.h"

namespace tmf::test {
namespace {

using namespace std::chrono;

struct Entry {
    const char* first;
    const char* last;
    const char* date;
    const char* term;
    const char* remark;
    int lead1;
    int lead2;
};

void Fill(const std::vector<Entry>& entries) {
    EntryCount = static_cast<int>(entries.size());
    ResizeEntryTable(EntryCount);
    for (int r = 1; r <= EntryCount; ++r) {
        const Entry& e = entries[static_cast<std::size_t>(r - 1)];
        EntryTable(Vorname, r) = Cell(e.first);
        EntryTable(Nachname, r) = Cell(e.last);
        EntryTable(TerminAm, r) = Cell(e.date);
        EntryTable(Terminart, r) = Cell(e.term);
        EntryTable(Bemerkung, r) = Cell(e.remark);
        EntryTable(Warnung1, r) = Cell(e.lead1);
        EntryTable(Warnung2, r) = Cell(e.lead2);
    }
}

std::string IcsDay(sys_days d) {
    const year_month_day y{d};
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(y.year()), static_cast<unsigned>(y.month()),
                  static_cast<unsigned>(y.day()));
    return text;
}

// The days 1900..2100 on which the program's own count says "due today".
std::vector<std::string> ProgramDays(const std::string& dateText) {
    const year_month_day date = ParseDate(dateText).value();
    std::vector<std::string> due;
    for (sys_days d = sys_days{year{1900} / January / 1}; d <= sys_days{year{2100} / December / 31}; d += days{1})
        if (DateValue(date, DateKind::NT, d) == 0) due.push_back(IcsDay(d));
    return due;
}

std::string Output(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    char buffer[4096];
    std::size_t n;
    while (pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, n);
    return out;
}

const std::vector<Entry> kEntries = {
    {"Anna", "Łukasiewicz", "15.06.1980", "Geburtstag", "", 7, 2},
    {"Jürgen", "Müller", "28.02.1950", "Geburtstag", "Bitte Blumen; nicht, vergessen\\", 3, 3},
    {"Leap", "Day", "29.02.1984", "Geburtstag", "", 0, 0},
    {"Märzen", "Erster", "01.03.1960", "Jahrestag", "Zeile eins\0\nZeile zwei", -5, 0},
    {"Ohne", "Jahr", "24.12.0101", "Geburtstag", "", 0, 0},
    {"Ungültig", "Datum", "01.01.0100", "Termin", "", 0, 0},
    {"", "Zukunft", "20.06.2030", "Jubiläum", "", 10, 0},
    {"Silvester", "Alt", "31.12.1899", "Geburtstag", "", 0, 1},
    {"Sehr", "Spät", "01.01.2100", "Geburtstag", "", 0, 0},
    {"Jürgen", "Müller", "28.02.1950", "Geburtstag", "", 0, 0},
    // The same person under another term is another event.
    {"Anna", "Łukasiewicz", "26.07.1980", "Namenstag", "", 0, 0},
};

TEST_F(CoreTest, CalendarParserFindsEveryOccurrenceOnTheProgramsDay) {
    // The remark with a real NUL inside needs its length spelled out.
    std::vector<Entry> entries = kEntries;
    Fill(entries);
    EntryTable(Bemerkung, 4) = Cell(std::string("Zeile eins\0\nZeile zwei", 22));
    const std::string path = dir.file("export.ics");
    ASSERT_TRUE(ExportICalendar(path));
    const std::string out = Output("/usr/bin/python3 " TMF_TEST_SCRIPTS "expand_ics.py " + path);
    ASSERT_NE(out.find("R\tok\n"), std::string::npos) << out.substr(0, 2000);

    std::map<std::string, std::vector<std::string>> occurrences, alarms;
    std::map<std::string, std::string> summaries, descriptions;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        const auto a = line.find('\t'), b = line.find('\t', a + 1);
        if (b == std::string::npos) continue;
        const std::string uid = line.substr(a + 1, b - a - 1), value = line.substr(b + 1);
        switch (line[0]) {
            case 'O': occurrences[uid].push_back(value); break;
            case 'A': alarms[uid].push_back(value); break;
            case 'S': summaries[uid] = value; break;
            case 'D': descriptions[uid] = value; break;
            case 'L': ADD_FAILURE() << "event not one day long: " << line; break;
        }
    }
    ASSERT_EQ(summaries.size(), entries.size());
    for (int r = 1; r <= EntryCount; ++r) {
        const Entry& e = entries[static_cast<std::size_t>(r - 1)];
        const std::string uid = EntryUid(e.first, e.last, e.term, r == 10 ? 1 : 0);
        SCOPED_TRACE(e.date);
        EXPECT_EQ(occurrences[uid], ProgramDays(e.date));
        EXPECT_EQ(summaries[uid], std::string(*e.first ? std::string(e.first) + " " : "") + e.last + ": " + e.term);
    }
    EXPECT_EQ(descriptions[EntryUid("Jürgen", "Müller", "Geburtstag", 0)], "Bitte Blumen; nicht, vergessen\\");
    EXPECT_EQ(descriptions[EntryUid("Märzen", "Erster", "Jahrestag", 0)], "Zeile eins\\nZeile zwei");
    EXPECT_EQ(alarms[EntryUid("Anna", "Łukasiewicz", "Geburtstag", 0)],
              (std::vector<std::string>{"-2 days, 0:00:00", "-7 days, 0:00:00"}));
    EXPECT_EQ(alarms[EntryUid("Jürgen", "Müller", "Geburtstag", 0)], (std::vector<std::string>{"-3 days, 0:00:00"}));
    EXPECT_EQ(alarms[EntryUid("Märzen", "Erster", "Jahrestag", 0)], (std::vector<std::string>{"-5 days, 0:00:00"}));
    EXPECT_TRUE(alarms[EntryUid("Leap", "Day", "Geburtstag", 0)].empty());
}

// The content lines of a calendar file with their folds undone; fails the
// test on a physical line that is not CR LF-terminated, longer than 75
// octets or cut inside a UTF-8 character.
std::vector<std::string> ContentLines(const std::string& ics) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < ics.size()) {
        const auto end = ics.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "line without CR LF";
            break;
        }
        const std::string line = ics.substr(start, end - start);
        EXPECT_LE(line.size(), 75u) << line;
        EXPECT_EQ(line.find_first_of(std::string("\r\n\0", 3)), std::string::npos) << line;
        EXPECT_TRUE(IsUtf8(line)) << line;
        if (!line.empty() && line[0] == ' ' && !lines.empty()) lines.back() += line.substr(1);
        else lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

// The unfolded line of the first event that starts with name.
std::string FirstLine(const std::vector<std::string>& lines, const std::string& name) {
    for (const auto& line : lines)
        if (line.compare(0, name.size(), name) == 0) return line;
    return "(no " + name + ")";
}

TEST_F(CoreTest, CalendarFileIsUtf8WithCrLfLinesOfAtMost75Octets) {
    const std::string remarks[] = {
        "ÄÖÜäöüß ÄÖÜäöüß ÄÖÜäöüß ÄÖÜäöüß ÄÖÜäöüß ÄÖÜäöüß ÄÖÜäöüß ÄÖÜäöüß ÄÖÜäöüß €€€€€€€€",
        std::string(200, 'a'),                      // ASCII: every fold falls on its 75th octet
        "x" + std::string(60, 'y') + "€€€€€€€€€€",  // a three-octet character at the fold
        "ab" + std::string(30, 'y') + "𝄞𝄞𝄞𝄞𝄞𝄞𝄞𝄞𝄞𝄞𝄞𝄞",  // four octets
    };
    for (const std::string& remark : remarks) {
        SCOPED_TRACE(remark);
        Fill({{"Jürgen", "Müller", "28.02.1950", "Geburtstag", remark.c_str(), 0, 0}});
        const std::string ics = WriteICalendar(EntryTable, EntryCount, sys_days{year{2024} / June / 15});
        EXPECT_TRUE(IsUtf8(ics));
        EXPECT_EQ(FirstLine(ContentLines(ics), "DESCRIPTION:"), "DESCRIPTION:" + remark);
    }
}

struct EscapeCase {
    const char* first;
    const char* last;
    std::string remark;
    const char* summary;
    const char* description;
};

// Judged on the raw text: a lenient reader takes a lone backslash or comma
// as it is and would hide a missing escape.
TEST_F(CoreTest, CalendarTextsEscapeBackslashSemicolonCommaAndLineBreaks) {
    const EscapeCase cases[] = {
        {"Anna", "Berg", "C:\\Daten\\neu", "SUMMARY:Anna Berg: Geburtstag", "DESCRIPTION:C:\\\\Daten\\\\neu"},
        {"Karl, Jr.", "Meier; Sohn", "eins, zwei; drei", "SUMMARY:Karl\\, Jr. Meier\\; Sohn: Geburtstag",
         "DESCRIPTION:eins\\, zwei\\; drei"},
        {"", "Ende\\", "a\\,b", "SUMMARY:Ende\\\\: Geburtstag", "DESCRIPTION:a\\\\\\,b"},
        {"Zeilen", "Bruch", std::string("eins\0\nzwei\r\ndrei\nvier", 21), "SUMMARY:Zeilen Bruch: Geburtstag",
         "DESCRIPTION:eins\\nzwei\\ndrei\\nvier"},
        {"Tab", "Steuer", "a\tb\x01" "c", "SUMMARY:Tab Steuer: Geburtstag", "DESCRIPTION:a\tb c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        Fill({{c.first, c.last, "01.02.1970", "Geburtstag", "", 0, 0}});
        EntryTable(Bemerkung, 1) = Cell(c.remark);
        const auto lines = ContentLines(WriteICalendar(EntryTable, EntryCount, sys_days{year{2024} / June / 15}));
        EXPECT_EQ(FirstLine(lines, "SUMMARY:"), c.summary);
        EXPECT_EQ(FirstLine(lines, "DESCRIPTION:"), c.description);
    }
}

TEST_F(CoreTest, UidsStayTheSameAcrossExportsAndDifferForEachEntry) {
    Fill(kEntries);
    const auto first = WriteICalendar(EntryTable, EntryCount, sys_days{year{2024} / June / 15});
    EntryTable(Bemerkung, 1) = Cell("geändert");
    EntryTable(TerminAm, 1) = Cell("16.06.1980");
    std::set<std::string> uids;
    const auto second = WriteICalendar(EntryTable, EntryCount, sys_days{year{2025} / January / 2});
    for (const std::string* ics : {&first, &second}) {
        std::set<std::string> these;
        for (std::size_t at = ics->find("\r\nUID:"); at != std::string::npos; at = ics->find("\r\nUID:", at + 1))
            these.insert(ics->substr(at + 6, ics->find("\r\n", at + 2) - at - 6));
        EXPECT_EQ(these.size(), kEntries.size());  // the two identical entries included
        if (uids.empty()) uids = these;
        else EXPECT_EQ(these, uids);
    }
}

}  // namespace
}  // namespace tmf::test
