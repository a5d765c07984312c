// The desktop notification that comes with each results window, and the grid's value
// column for dates kept without a year.
#include <gtest/gtest.h>

#include "CheckRun.h"
#include "Dates.h"
#include "EngineFixture.h"
#include "Grid.h"

using namespace tmf;
using namespace tmf::test;

namespace {

EntrySpec Person(const std::string& first, const std::string& termin, int w1 = 0) {
    return {.vorname = first, .nachname = "Berg", .termin = termin, .warnung1 = w1};
}

}  // namespace

class CheckNotification : public EngineTest {};

TEST_F(CheckNotification, EachResultsWindowIsNotifiedAsItComesUpInItsOwnWords) {
    platform.setToday(2024, 6, 14);
    const std::string first = MakeFile("Erste.tmf", {Person("Heute", "14.06.1990"), Person("Vorbei", "12.06.1975")},
                                       "10.06.2024");
    std::vector<EntrySpec> soon;
    for (int i = 1; i <= 6; ++i) soon.push_back(Person("Bald" + std::to_string(i), "20.06.1990", 10));
    soon.push_back({.vorname = "Nah", .nachname = "Berg", .termin = "16.06.1990", .warnung1 = 10, .warnung2 = 2});
    const std::string second = MakeFile("Zweite.tmf", soon, "13.06.2024");
    SetCheckList({first, second});
    // What the window shows while it is up, and what was sent by then.
    std::vector<std::string> panels;
    std::vector<std::size_t> sentWhileShown;
    results.whileShown = [&] {
        panels.push_back(CheckSummary());
        sentWhileShown.push_back(platform.notifications.size());
    };
    CheckDates("Auto");

    ASSERT_EQ(platform.notifications.size(), 2u);
    EXPECT_EQ(sentWhileShown, (std::vector<std::size_t>{1, 2}));
    ASSERT_EQ(panels.size(), 2u);
    // The last file of the list is checked first.
    EXPECT_EQ(panels[0], "0 Termin(e) , 7 Warnung(en)");
    EXPECT_EQ(platform.notifications[0].summary, "Termifolio98: " + panels[0]);
    // The rows as the window lists them: its sort puts the second warning
    // first and does not keep rows of one kind in the file's order.
    EXPECT_EQ(platform.notifications[0].body,
              "Zweite.tmf\n"
              "Nah Berg, hat in 2 Tag(en) Geburtstag !\n"
              "Bald2 Berg, hat in 6 Tag(en) Geburtstag !\n"
              "Bald3 Berg, hat in 6 Tag(en) Geburtstag !\n"
              "Bald1 Berg, hat in 6 Tag(en) Geburtstag !\n"
              "Bald5 Berg, hat in 6 Tag(en) Geburtstag !\n"
              "und 2 weitere");
    // Passed over first, as the window lists them; counted in its label.
    EXPECT_EQ(panels[1], "1 Termin(e) , 0 Warnung(en)");
    EXPECT_EQ(platform.notifications[1].summary, "Termifolio98: " + panels[1] + " , 1 Übergangen");
    EXPECT_EQ(platform.notifications[1].body,
              "Erste.tmf\n"
              "Vorbei Berg, Geburtstag wurde übergangen !\n"
              "Heute Berg, hat Heute Geburtstag !");
    // The window is handed its rows as before; only the message is sorted.
    ASSERT_EQ(results.showings.size(), 2u);
    EXPECT_EQ(Kinds(results.showings[1].results), (std::vector<int>{DueToday, PassedOver}));
}

TEST_F(CheckNotification, ManualRunNotifiesAndARunWithoutFindingsStaysQuiet) {
    const std::string path = MakeFile("Eine.tmf", {Person("Anna", "15.06.1990")});
    SetCheckList({path});
    CheckDates("Manuel");
    ASSERT_EQ(platform.notifications.size(), 1u);
    EXPECT_EQ(platform.notifications[0].summary, "Termifolio98: 1 Termin(e) , 0 Warnung(en)");
    EXPECT_EQ(platform.notifications[0].body, "Eine.tmf\nAnna Berg, hat Heute Geburtstag !");

    platform.notifications.clear();
    platform.moveDays(1);
    CheckDates("Manuel");
    EXPECT_TRUE(platform.notifications.empty());
    EXPECT_EQ(results.showings.size(), 1u);
}

TEST_F(CheckNotification, AFileWithOnlyAPassedOverEntrySaysSo) {
    platform.setToday(2024, 6, 14);
    SetCheckList({MakeFile("Juni.tmf", {Person("Eva", "12.06.1975")}, "10.06.2024")});
    CheckDates("Auto");
    ASSERT_EQ(platform.notifications.size(), 1u);
    EXPECT_EQ(platform.notifications[0].summary, "Termifolio98: 0 Termin(e) , 0 Warnung(en) , 1 Übergangen");
    EXPECT_EQ(platform.notifications[0].body, "Juni.tmf\nEva Berg, Geburtstag wurde übergangen !");
}

TEST_F(CheckNotification, GridShowsNoYearsOrDaysSinceForADateWithoutYear) {
    CurrentFile() = DataDir + "Liste.tmf";
    LoadIntoState({{.vorname = "Ohne", .termin = "20.06.0101"}, {.vorname = "Mit", .termin = "20.06.1990"}});
    const std::vector<std::pair<int, std::vector<std::string>>> expected = {
        {0, {"20.06.0101", "20.06.1990"}},
        {1, {"", "33"}},
        {2, {"", "12414"}},
        {3, {"5", "5"}},
    };
    for (const auto& [choice, column] : expected) {
        EntryTable(HeaderOutputChoice, 0) = Cell(choice);
        FillGrid();
        EXPECT_EQ((std::vector<std::string>{std::string(MainGrid.text(4, 1)), std::string(MainGrid.text(4, 2))}), column) << choice;
    }
}
