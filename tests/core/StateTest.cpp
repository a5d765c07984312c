// The process-wide state: the entry table and its row
// operations, the list lines, the defaults of a fresh start.
#include <gtest/gtest.h>

#include "CoreFixture.h"
#include "SampleFiles.h"
#include "State.h"

using namespace tmf;
using tmf::test::CoreTest;

namespace {

void FillNamed(int n) {
    ResizeEntryTable(n);
    for (int r = 1; r <= n; ++r)
        for (int f = 0; f < kFieldCount; ++f)
            EntryTable(f, r) = Cell("r" + std::to_string(r) + "f" + std::to_string(f));
    EntryCount = n;
}

}  // namespace

class State : public CoreTest {};

TEST_F(State, FreshStartHasOneEmptyHeaderRowAndNoEntries) {
    EXPECT_EQ(EntryCount, 0);
    EXPECT_EQ(EntryTable.lastRow(), 0);
    for (int f = 0; f < kFieldCount; ++f) EXPECT_TRUE(EntryTable(f, 0).isEmpty());
    EXPECT_EQ(Modified, 0);
    EXPECT_EQ(AutostartRequest, -1);
    EXPECT_EQ(SelectedEntry, 0);
    EXPECT_EQ(VersionText, "2.27");
    for (const auto& l : ListLines) EXPECT_EQ(l, "");
    for (const auto& t : TermNames) EXPECT_EQ(t, "");
}

TEST_F(State, ListLinesHold121LinesWithSettingsFirstAndSlotsFromLine20) {
    EXPECT_EQ(ListLines.size(), 121u);
    EXPECT_EQ(TermNames.size(), 101u);
    CheckList(0) = "/a.tmf";
    CheckList(100) = "/z.tmf";
    EXPECT_EQ(ListLines[20], "/a.tmf");
    EXPECT_EQ(ListLines[120], "/z.tmf");
    EXPECT_EQ(CurrentFile(), "/a.tmf");
    SettingsLines(WindowOffsetX) = "-20";
    EXPECT_EQ(ListLines[19], "-20");
    EXPECT_EQ(SettingValue(WindowOffsetX), -20);
}

TEST_F(State, SettingIsOnOnlyWhenItsTextConvertsToOne) {
    SettingsLines(CheckDaily) = "1";
    EXPECT_TRUE(SettingOn(CheckDaily));
    SettingsLines(CheckDaily) = " 1";
    EXPECT_TRUE(SettingOn(CheckDaily));
    for (const char* t : {"", "0", "2", "-1", "ja", "True"}) {
        SettingsLines(CheckDaily) = t;
        EXPECT_FALSE(SettingOn(CheckDaily)) << t;
    }
    SettingsLines(CountdownSeconds) = "kaputt";
    EXPECT_EQ(SettingValue(CountdownSeconds), 0);
}

TEST_F(State, ResizeKeepsRowsDropsTheRestAndAddsEmptyRows) {
    FillNamed(5);
    EntryTable(HeaderVersion, 0) = Cell("2.27");
    ResizeEntryTable(3);
    EXPECT_EQ(EntryTable.lastRow(), 3);
    EXPECT_EQ(EntryTable(Vorname, 3).asText(), "r3f0");
    EXPECT_EQ(EntryTable(HeaderVersion, 0).asText(), "2.27");
    ResizeEntryTable(6);
    EXPECT_EQ(EntryTable.lastRow(), 6);
    EXPECT_EQ(EntryTable(Vorname, 3).asText(), "r3f0");
    for (int r = 4; r <= 6; ++r)
        for (int f = 0; f < kFieldCount; ++f) EXPECT_TRUE(EntryTable(f, r).isEmpty());
    ResizeEntryTable(0);
    EXPECT_EQ(EntryTable.lastRow(), 0);
    EXPECT_EQ(EntryTable(HeaderVersion, 0).asText(), "2.27");
}

TEST_F(State, ReadingBeyondTheTableGivesAnEmptyCell) {
    const auto& table = EntryTable;
    EXPECT_TRUE(table(Vorname, 7).isEmpty());
    EXPECT_TRUE(table(Vorname, -1).isEmpty());
}

TEST_F(State, DeletingRowOneOfThreeMovesTheOthersUp) {
    FillNamed(3);
    DeleteEntry(1);
    EXPECT_EQ(EntryCount, 2);
    for (int f = 0; f < kFieldCount; ++f) {
        EXPECT_EQ(EntryTable(f, 1).asText(), "r2f" + std::to_string(f));
        EXPECT_EQ(EntryTable(f, 2).asText(), "r3f" + std::to_string(f));
    }
    // The table keeps its size; the row after the last entry is a stale copy.
    EXPECT_EQ(EntryTable.lastRow(), 3);
    EXPECT_EQ(EntryTable(Vorname, 3).asText(), "r3f0");
}

TEST_F(State, DeletingTheLastEntryOnlyDecreasesTheCount) {
    FillNamed(3);
    DeleteEntry(3);
    EXPECT_EQ(EntryCount, 2);
    EXPECT_EQ(EntryTable(Vorname, 1).asText(), "r1f0");
    EXPECT_EQ(EntryTable(Vorname, 2).asText(), "r2f0");
    EXPECT_EQ(EntryTable(Vorname, 3).asText(), "r3f0");
}

TEST_F(State, DeletingTheOnlyEntryLeavesAnEmptyFile) {
    FillNamed(1);
    DeleteEntry(1);
    EXPECT_EQ(EntryCount, 0);
}

TEST_F(State, DeletingOutsideTheEntriesChangesNothing) {
    FillNamed(2);
    DeleteEntry(0);
    DeleteEntry(3);
    DeleteEntry(-1);
    EXPECT_EQ(EntryCount, 2);
    EXPECT_EQ(EntryTable(Vorname, 1).asText(), "r1f0");
    EXPECT_EQ(EntryTable(Vorname, 2).asText(), "r2f0");
}

TEST_F(State, SwapExchangesAllElevenFields) {
    FillNamed(2);
    SwapEntries(1, 2);
    for (int f = 0; f < kFieldCount; ++f) {
        EXPECT_EQ(EntryTable(f, 1).asText(), "r2f" + std::to_string(f));
        EXPECT_EQ(EntryTable(f, 2).asText(), "r1f" + std::to_string(f));
    }
    SwapEntries(2, 2);
    EXPECT_EQ(EntryTable(Vorname, 2).asText(), "r1f0");
}

TEST_F(State, PermuteRowsNeverMovesTheHeader) {
    FillNamed(3);
    EntryTable(HeaderVersion, 0) = Cell("kopf");
    EntryTable.permuteRows({0, 3, 1, 2});
    EXPECT_EQ(EntryTable(HeaderVersion, 0).asText(), "kopf");
    EXPECT_EQ(EntryTable(Vorname, 1).asText(), "r3f0");
    EXPECT_EQ(EntryTable(Vorname, 2).asText(), "r1f0");
    EXPECT_EQ(EntryTable(Vorname, 3).asText(), "r2f0");
}

TEST_F(State, ResetProgramStateForgetsEverything) {
    FillNamed(4);
    Modified = 1;
    SelectedEntry = 3;
    EditIndex = 5;
    EditorMode = kModeEdit;
    AutostartRequest = 1;
    ListLines[5] = "x";
    TermNames[0] = "Arzt";
    ResetProgramState();
    EXPECT_EQ(EntryCount, 0);
    EXPECT_EQ(EntryTable.lastRow(), 0);
    EXPECT_EQ(Modified, 0);
    EXPECT_EQ(SelectedEntry, 0);
    EXPECT_EQ(EditIndex, 0);
    EXPECT_EQ(EditorMode, "");
    EXPECT_EQ(AutostartRequest, -1);
    EXPECT_EQ(ListLines[5], "");
    EXPECT_EQ(TermNames[0], "");
}

TEST_F(State, EditorModesAreTheProgramsOwnTexts) {
    EXPECT_STREQ(kModeNew, "Eintrag NEU");
    EXPECT_STREQ(kModeEdit, "Eintrag BEARBEITEN");
    EXPECT_STREQ(kModeCheck, "Prüfen");
    EXPECT_STREQ(kModeDelete, "löschen");
}
