// The main list and the progress display: what the grid holds after a fill,
// what the status bar and the two progress areas show, and where.
#include <gtest/gtest.h>

#include "EngineFixture.h"

using namespace tmf;
using namespace tmf::test;
using namespace std::chrono;

// ---------------------------------------------------------------- progress

class Progress : public EngineTest {};

TEST_F(Progress, PercentIsRoundedToTheNearestWithHalvesToEven) {
    EXPECT_EQ(ProgressPercent(1, 8), 12);
    EXPECT_EQ(ProgressPercent(3, 8), 38);
    EXPECT_EQ(ProgressPercent(5, 8), 62);
    EXPECT_EQ(ProgressPercent(1, 3), 33);
    EXPECT_EQ(ProgressPercent(2, 3), 67);
    EXPECT_EQ(ProgressPercent(0, 7), 0);
}

TEST_F(Progress, MainWindowShowsTextThenPercentAndFertigAtTheEnd) {
    ShowProgress("Lade...", 1, 8);
    ShowProgress("Lade...", 3, 8);
    ShowProgress("Lade...", 8, 8);
    EXPECT_EQ(main.progressLog,
              (std::vector<std::string>{"Lade...", "=12", "Lade...", "=38", "Lade...", "=100", "Fertig"}));
    EXPECT_EQ(platform.pumps, 3);
    EXPECT_TRUE(splash.progressTexts.empty());
}

TEST_F(Progress, NothingIsShownForAnEmptyTotal) {
    ShowProgress("Lade...", 0, 0);
    ShowProgress("Lade...", 1, -4);
    EXPECT_TRUE(main.progressLog.empty());
    EXPECT_EQ(platform.pumps, 0);
}

TEST_F(Progress, SplashShowsTextAndPercentButNeverFertig) {
    platform.activeWindow = "StartF";
    ShowProgress("Prüfe...", 1, 3);
    ShowProgress("Prüfe...", 3, 3);
    EXPECT_EQ(splash.progressTexts, (std::vector<std::string>{"Prüfe...", "Prüfe..."}));
    EXPECT_EQ(splash.progressValues, (std::vector<int>{33, 100}));
    EXPECT_TRUE(main.progressLog.empty());
}

TEST_F(Progress, EditorAndSettingsUseTheMainWindowsAreaAndNoWindowCountsAsMain) {
    for (const char* name : {"EinF", "EinstellF", ""}) {
        main = FakeMainView();
        platform.activeWindow = name;
        ShowProgress("Speicher...", 2, 4);
        EXPECT_EQ(main.progressLog, (std::vector<std::string>{"Speicher...", "=50"})) << name;
    }
}

TEST_F(Progress, OtherActiveWindowsShowNothingAndLetNoMessagesThrough) {
    for (const char* name : {"PrufungF", "AuswahlF", "Wukfrm", "InternF"}) {
        platform.activeWindow = name;
        ShowProgress("Prüfe...", 5, 5);
    }
    EXPECT_TRUE(main.progressLog.empty());
    EXPECT_TRUE(splash.progressTexts.empty());
    EXPECT_EQ(platform.pumps, 0);
}

// -------------------------------------------------------------------- grid

class Grid : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        CurrentFile() = DataDir + "Liste.tmf";
    }
    static std::vector<std::string> Column(int c) {
        std::vector<std::string> texts;
        for (int r = 1; r < MainGrid.rowCount(); ++r) texts.emplace_back(MainGrid.text(c, r));
        return texts;
    }
    static std::string Days(int y1, unsigned m1, unsigned d1, int y2, unsigned m2, unsigned d2) {
        return std::to_string((sys_days{year{y2} / m2 / d2} - sys_days{year{y1} / m1 / d1}).count());
    }
};

TEST_F(Grid, EmptyFileLeavesOnlyTheTitleRowAndNoProgress) {
    MainGrid.setRowCount(6);
    MainGrid.setText(4, 0, "Termin");
    FillGrid();
    EXPECT_EQ(MainGrid.rowCount(), 1);
    EXPECT_EQ(MainGrid.text(4, 0), "");
    EXPECT_EQ(main.panel(0), std::vector<std::string>{DataDir + "Liste.tmf"});
    EXPECT_EQ(main.panel(2), std::vector<std::string>{"Einträge: 0"});
    EXPECT_TRUE(main.progressLog.empty());
    EXPECT_EQ(main.enabled, std::vector<bool>{true});
}

TEST_F(Grid, TwentyFiveEntriesCountInTensAndEndWithFertig) {
    LoadIntoState(GenerateEntries(25));
    FillGrid();
    EXPECT_EQ(main.panel(2),
              (std::vector<std::string>{"Einträge: 0", "Einträge: 10", "Einträge: 20", "Einträge: 25"}));
    EXPECT_EQ(main.progressLog, (std::vector<std::string>{"Ausgabe...", "=40", "Ausgabe...", "=80",
                                                          "Ausgabe...", "=100", "Fertig"}));
    EXPECT_EQ(MainGrid.rowCount(), 26);
    EXPECT_EQ(MainGrid.text(0, 25), "25");
    EXPECT_EQ(MainGrid.text(1, 7), EntryTable(Vorname, 7).asText());
    EXPECT_EQ(MainGrid.text(2, 7), EntryTable(Nachname, 7).asText());
    EXPECT_EQ(MainGrid.text(3, 7), EntryTable(Terminart, 7).asText());
}

TEST_F(Grid, ValueColumnFollowsTheOutputChoice) {
    LoadIntoState({{.vorname = "A", .termin = "15.06.1990"},
                   {.vorname = "B", .termin = "16.06.2000"},
                   {.vorname = "C", .termin = "14.06.2024"},
                   {.vorname = "D", .termin = "20.06.2025"}});

    FillGrid();
    EXPECT_EQ(Column(4), (std::vector<std::string>{"15.06.1990", "16.06.2000", "14.06.2024", "20.06.2025"}));

    EntryTable(HeaderOutputChoice, 0) = Cell("1");
    FillGrid();
    EXPECT_EQ(Column(4)[0], "34");
    EXPECT_EQ(Column(4)[1], "23");
    EXPECT_EQ(Column(4)[2], "0");

    EntryTable(HeaderOutputChoice, 0) = Cell(2);
    FillGrid();
    EXPECT_EQ(Column(4)[0], Days(1990, 6, 15, 2024, 6, 15));
    EXPECT_EQ(Column(4)[2], "1");

    EntryTable(HeaderOutputChoice, 0) = Cell("3");
    FillGrid();
    EXPECT_EQ(Column(4), (std::vector<std::string>{"0", "1", "364", Days(2024, 6, 15, 2025, 6, 20)}));
}

TEST_F(Grid, UnknownOutputChoiceLeavesTheValueColumnAsItWas) {
    LoadIntoState({{.vorname = "A", .termin = "15.06.1990"}});
    FillGrid();
    EntryTable(HeaderOutputChoice, 0) = Cell("7");
    EntryTable(Vorname, 1) = Cell("Anders");
    FillGrid();
    EXPECT_EQ(MainGrid.text(1, 1), "Anders");
    EXPECT_EQ(MainGrid.text(4, 1), "15.06.1990");
}

TEST_F(Grid, HiddenRowsStayWithTheirPositionsAcrossARefill) {
    LoadIntoState(GenerateEntries(6));
    FillGrid();
    MainGrid.hidden[2] = 1;
    MainGrid.hidden[5] = 1;
    SwapEntries(2, 3);
    FillGrid();
    EXPECT_EQ(MainGrid.hidden, (std::vector<char>{0, 0, 1, 0, 0, 1, 0}));
    SetupGrid();
    EXPECT_EQ(MainGrid.hidden[5], 1);
}

TEST_F(Grid, SetupGivesOneRowPerEntryAndTheStandardWidths) {
    LoadIntoState(GenerateEntries(4));
    MainGrid.columnWidths = {1, 2, 3, 4, 5};
    SetupGrid();
    EXPECT_EQ(MainGrid.rowCount(), 5);
    EXPECT_EQ(MainGrid.columnWidths, (std::array<int, 5>{40, 180, 180, 100, 70}));
}

TEST_F(Grid, DialogsArePlacedRelativeToTheMainWindow) {
    main.geometry = {100, 50, 594, 376};
    const WindowRect r = PlaceBesideMain(300, 200, 10, 20);
    EXPECT_EQ(r.left, 110);
    EXPECT_EQ(r.top, 70);
    EXPECT_EQ(r.width, 300);
    EXPECT_EQ(r.height, 200);
}
