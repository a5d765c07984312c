// The one desktop notification a check run sends, and the grid's value
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

TEST_F(CheckNotification, OneNotificationPerRunCountsEveryFileAndNamesFiveEntries) {
    platform.setToday(2024, 6, 14);
    const std::string first = MakeFile("Erste.tmf", {Person("Heute", "14.06.1990"), Person("Vorbei", "12.06.1975")},
                                       "10.06.2024");
    std::vector<EntrySpec> soon;
    for (int i = 1; i <= 6; ++i) soon.push_back(Person("Bald" + std::to_string(i), "20.06.1990", 10));
    const std::string second = MakeFile("Zweite.tmf", soon, "13.06.2024");
    SetCheckList({first, second});
    CheckDates("Auto");

    ASSERT_EQ(platform.notifications.size(), 1u);
    EXPECT_EQ(platform.notifications[0].summary, "Termifolio98: 1 Termin heute, 6 Hinweise, 1 übergangen");
    EXPECT_EQ(platform.notifications[0].body,
              "Bald1 Berg hat in 6 Tag(en) Geburtstag !\n"
              "Bald2 Berg hat in 6 Tag(en) Geburtstag !\n"
              "Bald3 Berg hat in 6 Tag(en) Geburtstag !\n"
              "Bald4 Berg hat in 6 Tag(en) Geburtstag !\n"
              "Bald5 Berg hat in 6 Tag(en) Geburtstag !\n"
              "und 3 weitere");
}

TEST_F(CheckNotification, ManualRunNotifiesAndARunWithoutFindingsStaysQuiet) {
    const std::string path = MakeFile("Eine.tmf", {Person("Anna", "15.06.1990")});
    SetCheckList({path});
    CheckDates("Manuel");
    ASSERT_EQ(platform.notifications.size(), 1u);
    EXPECT_EQ(platform.notifications[0].summary, "Termifolio98: 1 Termin heute");
    EXPECT_EQ(platform.notifications[0].body, "Anna Berg hat Heute Geburtstag !");

    platform.notifications.clear();
    platform.moveDays(1);
    CheckDates("Manuel");
    EXPECT_TRUE(platform.notifications.empty());
}

TEST_F(CheckNotification, PassedOverEntryIsNamedInASentenceOfItsOwn) {
    platform.setToday(2024, 6, 14);
    SetCheckList({MakeFile("Juni.tmf", {Person("Eva", "12.06.1975")}, "10.06.2024")});
    CheckDates("Auto");
    ASSERT_EQ(platform.notifications.size(), 1u);
    EXPECT_EQ(platform.notifications[0].summary, "Termifolio98: 1 übergangen");
    EXPECT_EQ(platform.notifications[0].body, "Eva Berg: Geburtstag wurde übergangen !");
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
        EXPECT_EQ((std::vector<std::string>{MainGrid.cell(4, 1), MainGrid.cell(4, 2)}), column) << choice;
    }
}
