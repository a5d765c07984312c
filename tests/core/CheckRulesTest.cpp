// The check's rules on single entries: the passed-over test across New Year
// and around 29 February, and how the kinds and counts of one entry combine.
#include <gtest/gtest.h>

#include "CheckRules.h"
#include "CoreFixture.h"
#include "Dates.h"
#include "SampleFiles.h"

using namespace tmf;
using namespace tmf::test;
using namespace std::chrono;

namespace {

sys_days Day(const std::string& text) { return sys_days{*ParseDate(text)}; }

Row Entry(const std::string& termin, int w1, int w2, int erreicht) {
    return MakeRow({.vorname = "Anna", .termin = termin, .warnung1 = w1, .warnung2 = w2, .erreicht = erreicht});
}

}  // namespace

class CheckRules : public CoreTest {};

TEST_F(CheckRules, PassedOverTakesTheMostRecentAnniversaryBeforeToday) {
    struct Case {
        const char* what;
        const char* today;
        const char* lastCheck;
        const char* termin;
        int w1, erreicht;
        bool passedOver;
        int kind;
        int w1After, erreichtAfter;
    };
    const Case cases[] = {
        {"in the gap", "14.06.2024", "10.06.2024", "12.06.1975", -7, 0, true, NoFinding, 7, 0},
        {"on the last check day", "14.06.2024", "12.06.2024", "12.06.1975", -7, 0, false, NoFinding, -7, 0},
        {"Christmas seen in January", "05.01.2024", "20.12.2023", "25.12.1980", -7, 0, true, NoFinding, 7, 0},
        {"Christmas checked after it", "05.01.2024", "26.12.2023", "25.12.1980", -7, 0, false, NoFinding, -7, 0},
        {"New Year's Eve seen on 1 January", "01.01.2025", "30.12.2024", "31.12.1990", -3, 0, true, NoFinding, 3, 0},
        {"already reached is only re-armed", "14.06.2024", "10.06.2024", "12.06.1975", -7, 1, false, NoFinding, 7, 0},
        {"due today is no passed over", "15.06.2024", "01.01.2023", "15.06.1975", -7, 0, false, DueToday, -7, 1},
        {"a later year by day and month", "14.06.2024", "10.06.2024", "12.06.2030", 0, 0, true, NoFinding, 0, 0},
        {"last year's, more than a year unchecked", "15.06.2024", "01.01.2023", "20.12.1960", -7, 0, true, NoFinding,
         7, 0},
        {"no last check date", "14.06.2024", "", "12.06.1975", -7, 0, false, NoFinding, -7, 0},
        // 29 February keeps the anniversary rule of the dates: 1 March in a
        // common year.
        {"29.02 in a leap year", "01.03.2024", "28.02.2024", "29.02.2000", -7, 0, true, NoFinding, 7, 0},
        {"29.02 in a common year", "03.03.2025", "27.02.2025", "29.02.2000", -7, 0, true, NoFinding, 7, 0},
        {"29.02 due on 1 March", "01.03.2025", "20.02.2025", "29.02.2000", -7, 0, false, DueToday, -7, 1},
        {"29.02 across New Year", "02.01.2025", "20.12.2024", "29.02.2000", -7, 0, false, NoFinding, -7, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Row entry = Entry(c.termin, c.w1, 2, c.erreicht);
        const EntryFindings f = CheckEntry(entry, MakeCheckDay(Day(c.today), c.lastCheck));
        EXPECT_EQ(f.passedOver, c.passedOver);
        EXPECT_EQ(f.kind, c.kind);
        EXPECT_EQ(entry[Warnung1].asInteger(), c.w1After);
        EXPECT_EQ(entry[Erreicht].asInteger(), c.erreichtAfter);
        EXPECT_EQ(f.changed, c.passedOver || c.w1After != c.w1 || c.erreichtAfter != c.erreicht);
    }
}

TEST_F(CheckRules, KindsOfOneEntryCombineIntoOneRowAndTheCountsOfTheDialog) {
    struct Case {
        const char* termin;
        int w1, w2;
        int kind, days;
        int first, second, dueToday;
        const char* text;
    };
    // Today 15.06.2024.
    const Case cases[] = {
        {"20.06.1990", 7, 2, FirstWarning, 5, 1, 0, 0, "hat in 5 Tag(en) Geburtstag !"},
        {"17.06.1990", -7, 3, SecondWarning, 2, 0, 1, 0, "hat in 2 Tag(en) Geburtstag !"},
        {"18.06.1990", 7, 3, SecondWarning, 3, 1, 0, 0, "hat in 3 Tag(en) Geburtstag !"},
        {"15.06.1990", 0, 0, DueToday, 0, 0, 0, 1, "hat Heute Geburtstag !"},
        {"15.06.1990", -7, -2, DueToday, 0, 0, 0, 1, "hat Heute Geburtstag !"},
        {"01.01.1990", 7, 2, NoFinding, 200, 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.termin) + " " + std::to_string(c.w1) + "/" + std::to_string(c.w2));
        Row entry = Entry(c.termin, c.w1, c.w2, 0);
        const EntryFindings f = CheckEntry(entry, MakeCheckDay(Today(), "14.06.2024"));
        FindingCounts counts;
        counts.add(f);
        EXPECT_EQ(f.kind, c.kind);
        EXPECT_EQ(f.days, c.days);
        EXPECT_EQ(counts.first, c.first);
        EXPECT_EQ(counts.second, c.second);
        EXPECT_EQ(counts.dueToday, c.dueToday);
        EXPECT_EQ(FindingText(f.kind, f.days, "Geburtstag"), c.text);
    }
}

TEST_F(CheckRules, TheAnniversaryTableGivesTheFindingsOfTheCalendarForEveryDayOfTheYear) {
    // Every day and month (29 February too), born long ago, this year or
    // still to come, checked around the turns of the year and of February.
    const char* todays[] = {"15.06.2024", "28.02.2023", "01.03.2023", "29.02.2024", "01.03.2024",
                            "31.12.2026", "01.01.2027", "05.01.2025", "01.01.0100"};
    const char* lastChecks[] = {"", "20.12.2022", "10.06.2024", "27.02.2023", "30.12.2026"};
    const int years[] = {1950, 2000, 2023, 2024, 2025, 2027, 2100};
    for (const char* todayText : todays) {
        const sys_days today = Day(todayText);
        const AnniversaryTable table(today);
        for (const char* lastCheck : lastChecks) {
            const CheckDay plain = MakeCheckDay(today, lastCheck);
            const CheckDay looked = MakeCheckDay(today, lastCheck, &table);
            for (int y : years)
                for (unsigned m = 1; m <= 12; ++m)
                    for (unsigned d = 1; d <= 31; ++d) {
                        const year_month_day date{year{y}, month{m}, day{d}};
                        if (!date.ok()) continue;
                        for (const auto& [w1, erreicht] : {std::pair{7, 0}, {-7, 0}, {3, 1}, {0, 0}}) {
                            EntryState a{.date = date, .warnung1 = w1, .warnung2 = 2, .erreicht = erreicht};
                            EntryState b = a;
                            const EntryFindings fa = CheckEntry(a, plain);
                            const EntryFindings fb = CheckEntry(b, looked);
                            const bool same = fa.days == fb.days && fa.kind == fb.kind &&
                                              fa.passedOver == fb.passedOver && fa.changed == fb.changed &&
                                              a.warnung1 == b.warnung1 && a.warnung2 == b.warnung2 &&
                                              a.erreicht == b.erreicht && a.written == b.written;
                            if (!same) {
                                ADD_FAILURE() << FormatDate(date) << " on " << todayText << " after '" << lastCheck
                                              << "', lead " << w1 << ": " << fa.days << " vs " << fb.days;
                                return;
                            }
                        }
                    }
        }
    }
}
