// Check-list maintenance and the resets: "Neu", "Raus", "Vorne",
// ResetData with and without a name.
#include <gtest/gtest.h>

#include <filesystem>

#include "CheckListEdit.h"
#include "CoreFixture.h"
#include "Cp1252.h"
#include "State.h"

using namespace tmf;
using tmf::test::CoreTest;

class CheckListEdit : public CoreTest {
protected:
    void SetList(const std::vector<std::string>& files) {
        for (int k = 0; k < kCheckListSlots; ++k)
            CheckList(k) =
                static_cast<std::size_t>(k) < files.size() ? files[static_cast<std::size_t>(k)] : "";
    }
    std::vector<std::string> List() const {
        std::vector<std::string> out;
        for (int k = 0; k < kCheckListSlots; ++k) out.push_back(CheckList(k));
        while (!out.empty() && out.back().empty()) out.pop_back();
        return out;
    }
    std::vector<std::string> Full() const {
        std::vector<std::string> files;
        for (int k = 0; k < kCheckListSlots; ++k) files.push_back(dir.file("f" + std::to_string(k) + ".tmf"));
        return files;
    }
    void FillSettings() {
        for (int k = 0; k < kSettingsLineCount; ++k) SettingsLines(k) = "S" + std::to_string(k);
    }
};

// -------------------------------------------------------------------- Neu

TEST_F(CheckListEdit, NeuWithAListedFileSwapsItWithSlotZero) {
    SetList({"/d/a.tmf", "/d/b.tmf", "/d/c.tmf", "/d/x.tmf", "/d/e.tmf"});
    EditCheckList("/d/x.tmf", "Neu");
    EXPECT_EQ(List(), (std::vector<std::string>{"/d/x.tmf", "/d/b.tmf", "/d/c.tmf", "/d/a.tmf", "/d/e.tmf"}));
    EXPECT_EQ(UsedCheckListSlots(), 5);
    EXPECT_TRUE(messages().empty());
}

TEST_F(CheckListEdit, NeuWithTheCurrentFileChangesNothing) {
    SetList({"/d/a.tmf", "/d/b.tmf"});
    EditCheckList("/d/a.tmf", "Neu");
    EXPECT_EQ(List(), (std::vector<std::string>{"/d/a.tmf", "/d/b.tmf"}));
}

TEST_F(CheckListEdit, NeuFindsTheSameFileUnderAnotherSpelling) {
    dir.write("x.tmf", "x");
    std::filesystem::create_symlink(dir.file("x.tmf"), dir.file("link.tmf"));
    SetList({"/d/a.tmf", "/d/b.tmf", "/d/c.tmf", dir.file("x.tmf")});
    EditCheckList(dir.path() + "./sub/../x.tmf", "Neu");
    EXPECT_EQ(List(), (std::vector<std::string>{dir.file("x.tmf"), "/d/b.tmf", "/d/c.tmf", "/d/a.tmf"}));
    EditCheckList("/d/a.tmf", "Neu");
    EditCheckList(dir.file("link.tmf"), "Neu");
    EXPECT_EQ(CurrentFile(), dir.file("x.tmf"));
    EXPECT_EQ(UsedCheckListSlots(), 4);
}

TEST_F(CheckListEdit, NeuWithAPathDifferingOnlyInLetterCaseAddsASlot) {
    // Linux file names are case-sensitive: the file system decides.
    dir.write("Familie.tmf", "x");
    SetList({"/d/a.tmf", "/d/b.tmf", "/d/c.tmf", dir.file("Familie.tmf")});
    EditCheckList(dir.file("FAMILIE.TMF"), "Neu");
    EXPECT_EQ(List(), (std::vector<std::string>{dir.file("FAMILIE.TMF"), "/d/a.tmf", "/d/b.tmf", "/d/c.tmf",
                                                dir.file("Familie.tmf")}));
}

TEST_F(CheckListEdit, NeuWithANewFileOnAListOfTwoPutsItFirst) {
    SetList({"/d/a.tmf", "/d/b.tmf"});
    EditCheckList("/d/neu.tmf", "Neu");
    EXPECT_EQ(List(), (std::vector<std::string>{"/d/neu.tmf", "/d/a.tmf", "/d/b.tmf"}));
}

TEST_F(CheckListEdit, NeuOnAnEmptyListFillsSlotZero) {
    EditCheckList("/d/neu.tmf", "Neu");
    EXPECT_EQ(List(), std::vector<std::string>{"/d/neu.tmf"});
    EXPECT_EQ(CurrentFile(), "/d/neu.tmf");
}

TEST_F(CheckListEdit, NeuOnAListOf100UsesTheLastSlot) {
    auto files = Full();
    files.pop_back();
    SetList(files);
    EditCheckList("/d/neu.tmf", "Neu");
    EXPECT_EQ(CurrentFile(), "/d/neu.tmf");
    EXPECT_EQ(CheckList(100), files[99]);
    EXPECT_EQ(UsedCheckListSlots(), 101);
    EXPECT_TRUE(messages().empty());
}

TEST_F(CheckListEdit, NeuOnAFullListSaysSoAndChangesNothing) {
    SetList(Full());
    EditCheckList("/d/neu.tmf", "Neu");
    EXPECT_EQ(messages(), std::vector<std::string>{"Prüfliste ist Voll !"});
    EXPECT_EQ(List(), Full());
}

TEST_F(CheckListEdit, NeuOnAFullListRefusesEvenAListedFile) {
    // A full list is refused before the file is looked for.
    SetList(Full());
    EditCheckList(Full()[7], "Neu");
    EXPECT_EQ(messages(), std::vector<std::string>{"Prüfliste ist Voll !"});
    EXPECT_EQ(List(), Full());
}

TEST_F(CheckListEdit, NeuRefusesAPathLongerThan255CharactersInsteadOfCuttingIt) {
    // A cut path names another file: the program would show nothing loaded
    // and a later save would write to the cut name.
    std::string path = "/", fits = "/";
    for (int i = 0; i < 255; ++i) path += "ä";
    for (int i = 0; i < 254; ++i) fits += "ä";
    SetList({"/d/a.tmf", "/d/b.tmf"});
    EXPECT_EQ(EditCheckList(path, "Neu"), CheckListEditResult::PathRefused);
    EXPECT_EQ(List(), (std::vector<std::string>{"/d/a.tmf", "/d/b.tmf"}));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], path +
                                 "\r\nDer Dateiname ist länger als 255 Zeichen und läßt sich in der "
                                 "Prüfliste nicht speichern. Bitte wählen Sie einen kürzeren Namen.");
    EXPECT_EQ(CheckListPathRefusal(path), messages()[0]);
    EXPECT_EQ(EditCheckList(fits, "Neu"), CheckListEditResult::Done);
    EXPECT_EQ(CurrentFile(), fits);
    EXPECT_TRUE(PathFitsCheckList(fits));
}

TEST_F(CheckListEdit, EveryCommandReportsWhetherItWasCarriedOut) {
    struct Case {
        std::vector<std::string> list;
        std::string text;
        std::string command;
        CheckListEditResult result;
    };
    const std::vector<Case> cases = {
        {{"/d/a.tmf"}, "/d/neu.tmf", "Neu", CheckListEditResult::Done},
        {{"/d/a.tmf", "/d/b.tmf"}, "/d/b.tmf", "Neu", CheckListEditResult::Done},
        {Full(), "/d/neu.tmf", "Neu", CheckListEditResult::ListFull},
        {{"/d/a.tmf"}, "abcdefghijklmýú", "Neu", CheckListEditResult::PathRefused},  // breaks its line
        {{"/d/a.tmf", "/d/b.tmf"}, "1", "Raus", CheckListEditResult::Done},
        {{"/d/a.tmf"}, "x", "Raus", CheckListEditResult::NotDone},
        {{"/d/a.tmf"}, "101", "Raus", CheckListEditResult::NotDone},
        {{"/d/a.tmf", "/d/b.tmf"}, "1", "Vorne", CheckListEditResult::Done},
        {{"/d/a.tmf"}, "-1", "Vorne", CheckListEditResult::NotDone},
        {{"/d/a.tmf"}, "/d/neu.tmf", "Anders", CheckListEditResult::NotDone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command + " " + c.text);
        SetList(c.list);
        EXPECT_EQ(EditCheckList(c.text, c.command), c.result);
        if (c.result != CheckListEditResult::Done) {
            EXPECT_EQ(List(), c.list);
        }
    }
}

TEST_F(CheckListEdit, NeuLeavesTheSettingsAlone) {
    FillSettings();
    EditCheckList("/d/neu.tmf", "Neu");
    for (int k = 0; k < kSettingsLineCount; ++k) EXPECT_EQ(SettingsLines(k), "S" + std::to_string(k));
}

// ------------------------------------------------------------------- Raus

TEST_F(CheckListEdit, RausOfSlotOneOnAListOfThree) {
    SetList({"/d/a.tmf", "/d/b.tmf", "/d/c.tmf"});
    EditCheckList("1", "Raus");
    EXPECT_EQ(List(), (std::vector<std::string>{"/d/a.tmf", "/d/c.tmf"}));
    EXPECT_EQ(CheckList(2), "");
}

TEST_F(CheckListEdit, RausOfSlotZeroMakesSlotOneCurrent) {
    SetList({"/d/a.tmf", "/d/b.tmf", "/d/c.tmf"});
    EditCheckList("0", "Raus");
    EXPECT_EQ(List(), (std::vector<std::string>{"/d/b.tmf", "/d/c.tmf"}));
}

TEST_F(CheckListEdit, RausOfTheLastUsedSlot) {
    SetList({"/d/a.tmf", "/d/b.tmf", "/d/c.tmf"});
    EditCheckList("2", "Raus");
    EXPECT_EQ(List(), (std::vector<std::string>{"/d/a.tmf", "/d/b.tmf"}));
    EditCheckList("0", "Raus");
    EditCheckList("0", "Raus");
    EXPECT_TRUE(List().empty());
}

TEST_F(CheckListEdit, RausOfSlot100OnAFullListEmptiesIt) {
    SetList(Full());
    EditCheckList("100", "Raus");
    auto expected = Full();
    expected.pop_back();
    EXPECT_EQ(List(), expected);
    EXPECT_EQ(CheckList(100), "");
    EXPECT_TRUE(messages().empty());
}

TEST_F(CheckListEdit, RausOfSlotZeroOnAFullListMovesEveryoneUp) {
    SetList(Full());
    EditCheckList("0", "Raus");
    auto expected = Full();
    expected.erase(expected.begin());
    EXPECT_EQ(List(), expected);
    EXPECT_EQ(CheckList(100), "");
}

TEST_F(CheckListEdit, RausWithAnUnreadableSlotNumberDoesNothing) {
    SetList({"/d/a.tmf", "/d/b.tmf"});
    for (const char* t : {"", "x", "-1", "101", "1.0"}) EditCheckList(t, "Raus");
    EXPECT_EQ(List(), (std::vector<std::string>{"/d/a.tmf", "/d/b.tmf"}));
}

// ------------------------------------------------------------------ Vorne

TEST_F(CheckListEdit, VorneSwapsTheSlotWithSlotZero) {
    SetList({"/d/a.tmf", "/d/b.tmf", "/d/c.tmf"});
    EditCheckList("2", "Vorne");
    EXPECT_EQ(List(), (std::vector<std::string>{"/d/c.tmf", "/d/b.tmf", "/d/a.tmf"}));
    EditCheckList("0", "Vorne");
    EXPECT_EQ(List(), (std::vector<std::string>{"/d/c.tmf", "/d/b.tmf", "/d/a.tmf"}));
}

TEST_F(CheckListEdit, VorneWorksOnAFullList) {
    SetList(Full());
    EditCheckList("100", "Vorne");
    EXPECT_EQ(CurrentFile(), Full()[100]);
    EXPECT_EQ(CheckList(100), Full()[0]);
    EXPECT_TRUE(messages().empty());
}

TEST_F(CheckListEdit, OtherCommandsDoNothing) {
    SetList({"/d/a.tmf", "/d/b.tmf"});
    for (const char* c : {"", "neu", "NEU", "raus", "vorne", "Löschen"}) {
        EditCheckList("1", c);
        EditCheckList("/d/c.tmf", c);
    }
    EXPECT_EQ(List(), (std::vector<std::string>{"/d/a.tmf", "/d/b.tmf"}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(CheckListEdit, UsedSlotsCountsTheNonEmptyOnes) {
    EXPECT_EQ(UsedCheckListSlots(), 0);
    SetList({"a", "b", "c"});
    EXPECT_EQ(UsedCheckListSlots(), 3);
    SetList(Full());
    EXPECT_EQ(UsedCheckListSlots(), 101);
}

// -------------------------------------------------------------- ResetData

TEST_F(CheckListEdit, ResetWithoutANameChangesOnlyTheHeaderAndTheCount) {
    FillSettings();
    SetList({"/d/a.tmf", "/d/b.tmf"});
    ResizeEntryTable(3);
    for (int f = 0; f < kFieldCount; ++f) EntryTable(f, 0) = Cell("h" + std::to_string(f));
    EntryTable(Vorname, 2) = Cell("bleibt");
    EntryCount = 3;
    ResetData("F[]", "");
    EXPECT_EQ(EntryCount, 0);
    EXPECT_EQ(EntryTable(HeaderCount, 0), Cell(0));
    EXPECT_EQ(EntryTable(HeaderOutputChoice, 0), Cell(0));
    EXPECT_EQ(EntryTable(HeaderSortChoice, 0), Cell(0));
    EXPECT_EQ(EntryTable(HeaderVersion, 0), Cell("2.27"));
    EXPECT_EQ(EntryTable(HeaderReserved, 0), Cell(0));
    EXPECT_EQ(EntryTable(HeaderLastCheck, 0), Cell(""));
    for (int f : {4, 5, 6, 7, 8}) EXPECT_EQ(EntryTable(f, 0), Cell("h" + std::to_string(f))) << f;
    // Rows beyond the count are not cleared.
    EXPECT_EQ(EntryTable.lastRow(), 3);
    EXPECT_EQ(EntryTable(Vorname, 2), Cell("bleibt"));
    for (int k = 0; k < kSettingsLineCount; ++k) EXPECT_EQ(SettingsLines(k), "S" + std::to_string(k));
    EXPECT_EQ(List(), (std::vector<std::string>{"/d/a.tmf", "/d/b.tmf"}));
}

TEST_F(CheckListEdit, ResetWithANameSetsDefaultsAndTheCurrentFile) {
    FillSettings();
    auto files = Full();
    SetList(files);
    EntryCount = 0;
    ResetData("F[]", "Termif98.tmf");
    EXPECT_EQ(EntryTable(HeaderVersion, 0), Cell("2.27"));
    EXPECT_EQ(SettingsLines(MarkerLine), "Wuk-Soft98");
    EXPECT_EQ(SettingsLines(CheckDaily), "0");
    EXPECT_EQ(SettingsLines(CountdownSeconds), "3");
    EXPECT_EQ(SettingsLines(FontName), "Arial");
    EXPECT_EQ(SettingsLines(CheckAtStart), "1");
    EXPECT_EQ(SettingsLines(CheckInBackground), "0");
    EXPECT_EQ(SettingsLines(WindowOffsetY), "0");
    EXPECT_EQ(SettingsLines(WindowOffsetX), "0");
    for (int k : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 13})
        EXPECT_EQ(SettingsLines(k), "S" + std::to_string(k)) << k;
    EXPECT_EQ(CurrentFile(), DataDir + "Termif98.tmf");
    for (int k = 1; k <= 100; ++k) EXPECT_EQ(CheckList(k), files[static_cast<std::size_t>(k)]) << k;
}

TEST_F(CheckListEdit, ResetWithANameButAnotherCommandKeepsTheHeader) {
    EntryTable(HeaderVersion, 0) = Cell("1.00");
    EntryCount = 0;
    ResetData("f[]", "a.tmf");
    EXPECT_EQ(EntryTable(HeaderVersion, 0), Cell("1.00"));
    EXPECT_EQ(SettingsLines(CountdownSeconds), "3");
    EXPECT_EQ(CurrentFile(), DataDir + "a.tmf");
}

TEST_F(CheckListEdit, ResetWithNeitherChangesNothing) {
    FillSettings();
    EntryTable(HeaderVersion, 0) = Cell("1.00");
    SetList({"/d/a.tmf"});
    ResetData("", "");
    ResetData("F[] ", "");
    EXPECT_EQ(EntryTable(HeaderVersion, 0), Cell("1.00"));
    EXPECT_EQ(SettingsLines(CountdownSeconds), "S14");
    EXPECT_EQ(List(), std::vector<std::string>{"/d/a.tmf"});
}

TEST_F(CheckListEdit, ResetCutsTheCurrentFileTo255Characters) {
    ResetData("", std::string(300, 'n'));
    EXPECT_EQ(Utf8Length(CurrentFile()), 255u);
    EXPECT_EQ(CurrentFile(), (DataDir + std::string(300, 'n')).substr(0, 255));
}
