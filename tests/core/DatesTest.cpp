// Dates and computation kinds, with today = 15.06.2024 unless a
// test moves the scripted clock.
#include <gtest/gtest.h>

#include <chrono>

#include "CoreFixture.h"
#include "Dates.h"

using namespace tmf;
using namespace std::chrono;
using namespace std::string_literals;
using tmf::test::CoreTest;

namespace {

year_month_day Ymd(int y, unsigned m, unsigned d) {
    return year{y} / month{m} / day{d};
}

// The anniversary as the program defines it, written out again
// here: the same day and month, 29 February on 1 March in a common year.
sys_days ExpectedAnniversary(year_month_day d, year y) {
    if (d.month() == February && d.day() == day{29} && !y.is_leap()) return sys_days{y / March / 1};
    return sys_days{y / d.month() / d.day()};
}

}  // namespace

class Dates : public CoreTest {};

// ------------------------------------------------------------------- "NT"

TEST_F(Dates, NtEdgeCasesOfTheSpec) {
    EXPECT_EQ(DateValue("15.06.1980", "NT"), 0);
    EXPECT_EQ(DateValue("16.06.1980", "NT"), 1);
    EXPECT_EQ(DateValue("14.06.1980", "NT"), 364);
    EXPECT_EQ(DateValue("20.06.2030", "NT"), 2196);
    EXPECT_EQ(DateValue("01.01.0100", "NT"), 200);
}

TEST_F(Dates, NtOfADateLaterThisYearCountsToThatDate) {
    EXPECT_EQ(DateValue("16.06.2024", "NT"), 1);
    EXPECT_EQ(DateValue("31.12.2024", "NT"), 199);
    EXPECT_EQ(DateValue("15.06.2024", "NT"), 0);
    EXPECT_EQ(DateValue("14.06.2024", "NT"), 364);
}

TEST_F(Dates, NtOfYesterdayIs365WhenALeapDayLiesBetween) {
    platform.setToday(2023, 6, 15);
    EXPECT_EQ(DateValue("14.06.1980", "NT"), 365);  // 14.06.2024 across 29.02.2024
    platform.setToday(2024, 2, 28);
    EXPECT_EQ(DateValue("27.02.1980", "NT"), 365);
}

// ------------------------------------------------------------- "AT", "AJ"

TEST_F(Dates, AtEdgeCasesOfTheSpec) {
    EXPECT_EQ(DateValue("14.06.2024", "AT"), 1);
    EXPECT_EQ(DateValue("16.06.2024", "AT"), -1);
    EXPECT_EQ(DateValue("15.06.2024", "AT"), 0);
    EXPECT_EQ(DateValue("15.06.2023", "AT"), 366);
    EXPECT_EQ(DateValue("01.01.2000", "AT"), 8932);
}

TEST_F(Dates, AjEdgeCasesOfTheSpec) {
    EXPECT_EQ(DateValue("15.06.1980", "AJ"), 44);
    EXPECT_EQ(DateValue("16.06.1980", "AJ"), 43);
    EXPECT_EQ(DateValue("14.06.1980", "AJ"), 44);
    EXPECT_EQ(DateValue("20.06.2024", "AJ"), -1);
    EXPECT_EQ(DateValue("01.07.2025", "AJ"), -2);
    EXPECT_EQ(DateValue("01.05.2026", "AJ"), -2);
    EXPECT_EQ(DateValue("15.06.2024", "AJ"), 0);
    EXPECT_EQ(DateValue("01.01.0100", "AJ"), 1924);
}

TEST_F(Dates, UnknownKindShowsItsMessageAndGivesZero) {
    EXPECT_EQ(DateValue("15.06.1980", "XY"), 0);
    EXPECT_EQ(DateValue("15.06.1980", "nt"), 0);
    EXPECT_EQ(DateValue("15.06.1980", ""), 0);
    EXPECT_EQ(messages(), (std::vector<std::string>{"XY diese ID ist falsch !", "nt diese ID ist falsch !",
                                                    " diese ID ist falsch !"}));
}

TEST_F(Dates, TextThatIsNoDateCountsAsTheFallbackDate) {
    for (const char* t : {"", "kaputt", "31.04.2024", "29.02.2023", "15.06.1980x"}) {
        EXPECT_EQ(DateValue(t, "NT"), DateValue("01.01.0100", "NT")) << t;
        EXPECT_EQ(DateValue(t, "AT"), DateValue("01.01.0100", "AT")) << t;
        EXPECT_EQ(DateValue(t, "AJ"), 1924) << t;
    }
    EXPECT_TRUE(messages().empty());
}

// ------------------------------------------------------------ 29 February

TEST_F(Dates, LeapDayAnniversaryFallsOnFirstMarchInACommonYear) {
    EXPECT_EQ(AnniversaryInYear(Ymd(2020, 2, 29), year{2023}), sys_days{Ymd(2023, 3, 1)});
    EXPECT_EQ(AnniversaryInYear(Ymd(2020, 2, 29), year{2024}), sys_days{Ymd(2024, 2, 29)});
    EXPECT_EQ(AnniversaryInYear(Ymd(2020, 2, 29), year{2100}), sys_days{Ymd(2100, 3, 1)});
    EXPECT_EQ(AnniversaryInYear(Ymd(1980, 6, 15), year{2024}), sys_days{Ymd(2024, 6, 15)});
}

TEST_F(Dates, LeapDayThatArrivesAnywayCountsToFirstMarch) {
    const auto leap = Ymd(2020, 2, 29);
    EXPECT_EQ(DateValue(leap, DateKind::NT, sys_days{Ymd(2023, 2, 28)}), 1);
    EXPECT_EQ(DateValue(leap, DateKind::NT, sys_days{Ymd(2023, 3, 1)}), 0);
    EXPECT_EQ(DateValue(leap, DateKind::NT, sys_days{Ymd(2023, 3, 2)}), 364);
    EXPECT_EQ(DateValue(leap, DateKind::NT, sys_days{Ymd(2024, 2, 29)}), 0);
    EXPECT_EQ(DateValue(leap, DateKind::NT, sys_days{Ymd(2024, 3, 1)}), 365);
    EXPECT_EQ(DateValue(leap, DateKind::AJ, sys_days{Ymd(2023, 2, 28)}), 2);
    EXPECT_EQ(DateValue(leap, DateKind::AJ, sys_days{Ymd(2023, 3, 1)}), 3);
    EXPECT_EQ(DateValue("29.02.2020", "NT"), 259);  // 01.03.2025
}

// ----------------------------------------------------------- ValidateDate

TEST_F(Dates, ValidateDateShowsTheWholeMessageForCodeTwo) {
    int code = -1;
    EXPECT_EQ(ValidateDate("29.02.2024", &code), "01.01.0100");
    EXPECT_EQ(code, 2);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0],
              "Datumsfehler: 2\r\n"
              "\r\n"
              "29.02.2024 ist kein gültiges Datum !\r\n"
              "\r\n"
              "Datum muß das Format TT.MM.JJJJ haben .\r\n"
              "Das Datum gilt ab dem 01.01.0100 .\r\n"
              "Der 29.02.xxxx (Schaltjahr) löst eine Fehlermeldung aus.\r\n"
              "Bei falschem Datum wird der 01.01.0100 angenommen.");
    EXPECT_EQ(platform.messages[0].kind, MessageKind::Information);
}

TEST_F(Dates, ValidateDateCodeThreeKeepsTheInputForm) {
    int code = -1;
    EXPECT_EQ(ValidateDate("31.04.2024", &code), "01.01.0100");
    EXPECT_EQ(code, 3);
    EXPECT_EQ(ValidateDate("29.02.2023", &code), "01.01.0100");
    EXPECT_EQ(code, 3);
    EXPECT_EQ(ValidateDate("kein Datum", &code), "01.01.0100");
    EXPECT_EQ(code, 3);
    EXPECT_EQ(ValidateDate("", &code), "01.01.0100");
    EXPECT_EQ(code, 3);
    EXPECT_EQ(messages(),
              (std::vector<std::string>{DateErrorMessage(3, "31.04.2024"), DateErrorMessage(3, "29.02.2023"),
                                        DateErrorMessage(3, "kein Datum"), DateErrorMessage(3, "")}));
    EXPECT_EQ(messages()[0].rfind("Datumsfehler: 3\r\n\r\n31.04.2024 ist kein gültiges Datum !\r\n\r\n", 0),
              0u);
}

TEST_F(Dates, ValidateDateRefusesYearsBelow100WithCodeTwo) {
    int code = -1;
    EXPECT_EQ(ValidateDate("15.06.0099", &code), "01.01.0100");
    EXPECT_EQ(code, 2);
    EXPECT_EQ(ValidateDate("31.12.0099", &code), "01.01.0100");
    EXPECT_EQ(code, 2);
    EXPECT_EQ(ValidateDate("1.1.0001", &code), "01.01.0100");
    EXPECT_EQ(code, 2);
    // The message shows the normalised text.
    EXPECT_EQ(messages()[2], DateErrorMessage(2, "01.01.0001"));
    EXPECT_EQ(ValidateDate("01.01.0100", &code), "01.01.0100");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(messages().size(), 3u);
}

TEST_F(Dates, ValidateDateRefusesTheLeapDayOfEveryLeapYear) {
    for (int y : {1600, 1904, 2000, 2024, 2096, 2400}) {
        int code = -1;
        const std::string t = "29.02." + std::to_string(y);
        EXPECT_EQ(ValidateDate(t, &code), "01.01.0100") << t;
        EXPECT_EQ(code, 2) << t;
    }
}

TEST_F(Dates, ValidateDateNormalisesWithoutMessage) {
    int code = -1;
    EXPECT_EQ(ValidateDate("1.2.2003", &code), "01.02.2003");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ValidateDate("01.02.2003"), "01.02.2003");
    EXPECT_EQ(ValidateDate("28.02.2023"), "28.02.2023");
    EXPECT_EQ(ValidateDate("1.3.2024"), "01.03.2024");
    EXPECT_EQ(ValidateDate("31.12.9999"), "31.12.9999");
    EXPECT_EQ(ValidateDate("5.5.250"), "05.05.0250");
    EXPECT_TRUE(messages().empty());
}

// ------------------------------------------------------ parse and format

TEST_F(Dates, ParseAcceptsDayMonthYearWithOneOrTwoDigits) {
    EXPECT_EQ(ParseDate("1.2.2003"), Ymd(2003, 2, 1));
    EXPECT_EQ(ParseDate("01.02.2003"), Ymd(2003, 2, 1));
    EXPECT_EQ(ParseDate(" 01.02.2003 "), Ymd(2003, 2, 1));
    EXPECT_EQ(ParseDate("1.2"), Ymd(2024, 2, 1));  // today's year
    EXPECT_EQ(ParseDate("1.2.0100"), Ymd(100, 2, 1));
    EXPECT_EQ(ParseDate("1.2.100"), Ymd(100, 2, 1));
}

TEST_F(Dates, ParseTakesAShortYearAsTheLatestYearWithThoseDigitsUpToThisYear) {
    struct Case {
        int today;
        const char* text;
        int year;
    };
    const Case cases[] = {
        {2024, "1.2.03", 2003}, {2024, "1.2.74", 1974}, {2024, "1.2.73", 1973}, {2024, "1.2.70", 1970},
        {2024, "1.2.99", 1999}, {2024, "1.2.0", 2000},  {2024, "1.2.24", 2024}, {2024, "1.2.25", 1925},
        {2026, "1.2.26", 2026}, {2026, "1.2.27", 1927}, {2026, "1.2.70", 1970},
        // Around the turn of a century.
        {1999, "1.2.99", 1999}, {1999, "1.2.00", 1900}, {1999, "1.2.1", 1901},
        {2000, "1.2.00", 2000}, {2000, "1.2.99", 1999}, {2000, "1.2.01", 1901},
        {2001, "1.2.01", 2001}, {2001, "1.2.02", 1902}, {2099, "1.2.99", 2099},
        {2100, "1.2.00", 2100}, {2100, "1.2.01", 2001}, {2100, "1.2.50", 2050},
    };
    for (const Case& c : cases) {
        platform.setToday(c.today, 12, 31);
        EXPECT_EQ(ParseDate(c.text), Ymd(c.year, 2, 1)) << c.text << " in " << c.today;
        platform.setToday(c.today, 1, 1);
        EXPECT_EQ(ParseDate(c.text), Ymd(c.year, 2, 1)) << c.text << " on 1.1." << c.today;
    }
    // Four digits are taken as they are, a future year included.
    platform.setToday(2024, 6, 15);
    EXPECT_EQ(ParseDate("1.2.2070"), Ymd(2070, 2, 1));
    // What the editor shows for a short year: a past date with its age.
    EXPECT_EQ(ValidateDate("3.4.70"), "03.04.1970");
    EXPECT_EQ(DateValue(ValidateDate("3.4.70"), "AJ"), 54);
}

TEST_F(Dates, ParseRefusesWhatIsNoDateOfTheCalendar) {
    for (const char* t : {"", " ", "31.02.2024", "29.02.2023", "00.01.2024", "1.13.2024", "1.0.2024",
                          "1.1.0000", "1.1.10000", "a.b.c", "1..2024", "1.2.2024.", ".1.2.2024", "1/2/2024",
                          "1.2.2024 x", "15", "1.2.-2024", "1.2.+2024", "9999999999.1.2000"})
        EXPECT_FALSE(ParseDate(t).has_value()) << t;
}

TEST_F(Dates, FormatAlwaysGivesTenCharactersWithLeadingZeros) {
    EXPECT_EQ(FormatDate(Ymd(100, 1, 1)), "01.01.0100");
    EXPECT_EQ(FormatDate(Ymd(999, 12, 31)), "31.12.0999");
    EXPECT_EQ(FormatDate(Ymd(2024, 6, 15)), "15.06.2024");
    EXPECT_EQ(FormatDate(Ymd(9999, 12, 31)), "31.12.9999");
    EXPECT_EQ(FormatDate(sys_days{Ymd(2003, 2, 1)}), "01.02.2003");
}

TEST_F(Dates, NormalisedFormIsRecognised) {
    EXPECT_TRUE(IsNormalizedDate("15.06.2024"));
    EXPECT_TRUE(IsNormalizedDate("29.02.2024"));
    EXPECT_TRUE(IsNormalizedDate("01.01.0100"));
    for (const char* t : {"1.2.2003", "15.06.24", "29.02.2023", "32.01.2000", "15-06-2024", "15.06.0000", "",
                          "aa.bb.cccc", "15.06.2024 "})
        EXPECT_FALSE(IsNormalizedDate(t)) << t;
}

// ------------------------------------------------- loops over many years

TEST_F(Dates, EveryDayFrom1900To2100FormatsAndParsesBack) {
    for (sys_days d = sys_days{Ymd(1900, 1, 1)}; d <= sys_days{Ymd(2100, 12, 31)}; d += days{1}) {
        const std::string text = FormatDate(d);
        ASSERT_EQ(text.size(), 10u);
        auto back = ParseDate(text);
        ASSERT_TRUE(back.has_value()) << text;
        ASSERT_EQ(sys_days{*back}, d) << text;
        ASSERT_EQ(FormatDate(*back), text);
        ASSERT_TRUE(IsNormalizedDate(text)) << text;
    }
}

TEST_F(Dates, EarlyYearsFormatAndParseBack) {
    for (int y = 100; y < 1900; y += 7) {
        for (unsigned m = 1; m <= 12; ++m) {
            const auto d = Ymd(y, m, 28);
            const std::string text = FormatDate(d);
            ASSERT_EQ(ParseDate(text), d) << text;
            ASSERT_EQ(ValidateDate(text), text);
        }
    }
    EXPECT_TRUE(messages().empty());
}

TEST_F(Dates, KindsAgreeWithEachOtherForEveryDayFrom1900To2100) {
    const sys_days todays[] = {sys_days{Ymd(2024, 6, 15)},  sys_days{Ymd(2024, 2, 29)},
                               sys_days{Ymd(2023, 3, 1)},   sys_days{Ymd(2023, 2, 28)},
                               sys_days{Ymd(2000, 12, 31)}, sys_days{Ymd(1999, 1, 1)}};
    for (sys_days today : todays) {
        const year_month_day t{today};
        for (sys_days dd = sys_days{Ymd(1900, 1, 1)}; dd <= sys_days{Ymd(2100, 12, 31)}; dd += days{1}) {
            const year_month_day d{dd};
            const int nt = DateValue(d, DateKind::NT, today);
            const int at = DateValue(d, DateKind::AT, today);
            const int aj = DateValue(d, DateKind::AJ, today);
            ASSERT_EQ(at, (today - dd).count());
            if (dd > today) {
                ASSERT_EQ(nt, -at) << FormatDate(d);
                ASSERT_LT(aj, 0) << FormatDate(d);
                continue;
            }
            ASSERT_GE(nt, 0);
            ASSERT_LE(nt, 365);
            sys_days next = ExpectedAnniversary(d, t.year());
            if (next < today) next = ExpectedAnniversary(d, t.year() + years{1});
            ASSERT_EQ(today + days{nt}, next) << FormatDate(d) << " at " << FormatDate(today);
            // The age grows by one exactly on the day NT points at.
            const int ageThen = DateValue(d, DateKind::AJ, next);
            ASSERT_EQ(ageThen, static_cast<int>(year_month_day{next}.year()) - static_cast<int>(d.year()))
                << FormatDate(d) << " at " << FormatDate(today);
            if (nt > 0) {
                ASSERT_EQ(aj + 1, ageThen) << FormatDate(d) << " at " << FormatDate(today);
                ASSERT_EQ(DateValue(d, DateKind::AJ, next - days{1}), aj) << FormatDate(d);
            } else {
                ASSERT_EQ(aj, ageThen);
            }
            ASSERT_GE(aj, 0);
            ASSERT_LE(aj, at / 365);
            ASSERT_GE(aj, at / 366);
        }
    }
}

TEST_F(Dates, TextAndParsedFormsGiveTheSameValues) {
    for (int step = 0; step < 3000; ++step) {
        const sys_days dd = sys_days{Ymd(1950, 1, 1)} + days{step * 29};
        const std::string text = FormatDate(dd);
        const auto today = sys_days{Ymd(2024, 6, 15)};
        ASSERT_EQ(DateValue(text, "NT"), DateValue(year_month_day{dd}, DateKind::NT, today)) << text;
        ASSERT_EQ(DateValue(text, "AT"), DateValue(year_month_day{dd}, DateKind::AT, today)) << text;
        ASSERT_EQ(DateValue(text, "AJ"), DateValue(year_month_day{dd}, DateKind::AJ, today)) << text;
    }
}

TEST_F(Dates, AddingDaysAndSubtractingThemGivesTheStartBack) {
    for (sys_days d = sys_days{Ymd(100, 1, 1)}; d <= sys_days{Ymd(9999, 1, 1)}; d += days{997}) {
        for (int k : {1, 28, 365, 366, 36524}) {
            const sys_days there = d + days{k};
            if (there > sys_days{Ymd(9999, 12, 31)}) continue;
            auto parsed = ParseDate(FormatDate(there));
            ASSERT_TRUE(parsed);
            ASSERT_EQ(sys_days{*parsed} - days{k}, d);
        }
    }
}

// ------------------------------------------------------------- weekdays

TEST_F(Dates, AnniversaryWeekdayEdgeCasesOfTheSpec) {
    EXPECT_EQ(AnniversaryWeekday("15.06.1980"), "Samstag");
    EXPECT_EQ(AnniversaryWeekday("14.06.1980"), "Samstag");  // 14.06.2025
    EXPECT_TRUE(messages().empty());
}

TEST_F(Dates, AnniversaryWeekdayOfAFutureDateIsThatOfThisYearsAnniversary) {
    EXPECT_EQ(AnniversaryWeekday("20.06.2030"), "Donnerstag");  // 20.06.2024
    EXPECT_EQ(AnniversaryWeekday("16.06.1980"), "Sonntag");
}

TEST_F(Dates, AnniversaryWeekdayOfAnInvalidDateShowsTheMessageAndUsesTheFallback) {
    EXPECT_EQ(AnniversaryWeekday("31.04.2024"), "Mittwoch");  // 01.01.2025
    EXPECT_EQ(messages(), std::vector<std::string>{DateErrorMessage(3, "31.04.2024")});
}

TEST_F(Dates, WeekdayNamesAreGerman) {
    const sys_days monday = sys_days{Ymd(2024, 6, 10)};
    const char* names[] = {"Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag", "Samstag", "Sonntag"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(WeekdayName(monday + days{i}), names[i]);
}

// --------------------------------------------------------- line breaks

TEST_F(Dates, StoreAndRestoreLineBreaks) {
    EXPECT_EQ(StoreLineBreaks("x\r\ny"), "x\0\ny"s);
    EXPECT_EQ(RestoreLineBreaks("x\0\ny"s), "x\r\ny");
    EXPECT_EQ(StoreLineBreaks("a\rb\nc"), "a\0b\nc"s);
    EXPECT_EQ(StoreLineBreaks(""), "");
    EXPECT_EQ(RestoreLineBreaks("ohne"), "ohne");
}

TEST_F(Dates, LineBreakFunctionsCutTo255Characters) {
    std::string longText;
    for (int i = 0; i < 300; ++i) longText += "ä";
    std::string expected;
    for (int i = 0; i < 255; ++i) expected += "ä";
    EXPECT_EQ(StoreLineBreaks(longText), expected);
    EXPECT_EQ(RestoreLineBreaks(longText), expected);
}

TEST_F(Dates, TextLineEdgeCasesOfTheSpec) {
    const std::string abc = "A\r\nB\r\nC";
    EXPECT_EQ(TextLine(abc, 1), "A");
    EXPECT_EQ(TextLine(abc, 2), "B");
    EXPECT_EQ(TextLine(abc, 3), "C");
    EXPECT_EQ(TextLine(abc, 5), "C");
    EXPECT_EQ(TextLine(abc, 0), "A    B    C");
}

TEST_F(Dates, TextLineReadsStoredNulLfBreaks) {
    const std::string stored = "Hauptstraße 5\0\n50667 Köln"s;
    EXPECT_EQ(TextLine(stored, 1), "Hauptstraße 5");
    EXPECT_EQ(TextLine(stored, 2), "50667 Köln");
    EXPECT_EQ(TextLine(stored, 0), "Hauptstraße 5    50667 Köln");
}

TEST_F(Dates, TextLineFollowsTheCountingRuleForOddBreaks) {
    EXPECT_EQ(TextLine("", 1), "");
    EXPECT_EQ(TextLine("", 0), "");
    EXPECT_EQ(TextLine("ohne Umbruch", 1), "ohne Umbruch");
    EXPECT_EQ(TextLine("ohne Umbruch", 3), "ohne Umbruch");
    EXPECT_EQ(TextLine("A\r\n", 1), "A");
    EXPECT_EQ(TextLine("A\r\n", 2), "");
    EXPECT_EQ(TextLine("A\r\n\r\nC", 2), "");
    EXPECT_EQ(TextLine("A\r\n\r\nC", 3), "C");
    EXPECT_EQ(TextLine("A\nB", 1), "B");  // a lone LF counts once and empties the line
    EXPECT_EQ(TextLine("A\nB\nC", 1), "B");
    EXPECT_EQ(TextLine("A\rB", 0), "A  B");
}
