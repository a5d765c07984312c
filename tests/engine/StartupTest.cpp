// Program start: the defaults of a first start, when the start-up check
// runs, the date stamp of every start, and what happens when the current
// file cannot be read.
#include <gtest/gtest.h>

#include "CheckListEdit.h"
#include "CheckRun.h"
#include "EngineFixture.h"
#include "ListFiles.h"

using namespace tmf;
using namespace tmf::test;

class Startup : public EngineTest {
protected:
    // "Liste.dat" with the given switches and check list, as the settings
    // dialog would leave it.
    void WriteList(const std::string& atStart, const std::string& daily,
                   const std::vector<std::string>& files, const std::string& offsetX = "0",
                   const std::string& offsetY = "0") {
        ListLines.fill({});
        ResetSettings();
        SettingsLines(CheckAtStart) = atStart;
        SettingsLines(CheckDaily) = daily;
        SettingsLines(WindowOffsetX) = offsetX;
        SettingsLines(WindowOffsetY) = offsetY;
        SetCheckList(files);
        ASSERT_TRUE(SaveCheckList());
        ListLines.fill({});
    }
    // An entry that every check reports (a second warning), and that no
    // check changes, so each dialog shown is one check run.
    static EntrySpec Always() {
        return {.vorname = "Immer", .termin = "01.01.1990", .warnung1 = -1, .warnung2 = 400};
    }
    // True when this start ran the check.
    bool Checked() const { return !results.showings.empty(); }
    static std::vector<std::string> ListedFiles() {
        std::vector<std::string> files;
        for (int s = 0; s < kCheckListSlots && !CheckList(s).empty(); ++s) files.push_back(CheckList(s));
        return files;
    }
    static const char* TermNamesCreated() {
        return "Datei >Termin.dat< nicht gefunden. Leere Datei wird angelegt.\r"
               "Geben Sie Terminbezeichnungen über ANFÜGEN ein.";
    }
};

// ------------------------------------------------------------- first start

TEST_F(Startup, FirstStartOnAnEmptyDataFolderMakesTheDefaultFileAndChecksIt) {
    InitProgram();

    EXPECT_EQ(SettingsLines(CheckAtStart), "1");
    EXPECT_EQ(SettingsLines(CheckDaily), "0");
    EXPECT_EQ(SettingsLines(CheckInBackground), "0");
    EXPECT_EQ(SettingsLines(CountdownSeconds), "3");
    EXPECT_EQ(SettingsLines(WindowOffsetX), "0");
    EXPECT_EQ(SettingsLines(WindowOffsetY), "0");
    const std::string file = dir.path() + "daten/Termif98.tmf";
    EXPECT_EQ(CurrentFile(), file);

    const OnDisk disk = ReadOnDisk(file);
    EXPECT_EQ(disk.size, kRecordSize);
    EXPECT_EQ(disk.header[HeaderCount].asText(), "0");
    EXPECT_EQ(disk.header[HeaderVersion].asText(), "2.27");
    EXPECT_EQ(disk.lastCheck(), "15.06.2024");

    // The check names each file it walks, then the decision names the
    // current one.
    EXPECT_EQ(splash.fileCaptions, (std::vector<std::string>{"Termif98.tmf", "Termif98.tmf"}));
    EXPECT_EQ(splash.decisions, std::vector<bool>{true});
    EXPECT_TRUE(results.showings.empty());
    EXPECT_TRUE(platform.sounds.empty());
    EXPECT_EQ(messages(), std::vector<std::string>{TermNamesCreated()});

    EXPECT_EQ(main.captions, std::vector<std::string>{"Termifolio98 2.27 - 32bit"});
    EXPECT_EQ(main.choiceLists, (std::vector<std::pair<int, int>>{{0, 0}}));
    EXPECT_EQ(main.moves, (std::vector<std::pair<int, int>>{{212, 184}}));
    EXPECT_EQ(main.shown, 1);
    EXPECT_EQ(main.internalHidden, 1);
    EXPECT_EQ(MainGrid.rowCount(), 1);
    EXPECT_EQ(main.panel(2).back(), "Einträge: 0");
    EXPECT_EQ(main.panel(0).back(), file);
    EXPECT_FALSE(ProgramEnding());
    EXPECT_EQ(Modified, 0);
}

TEST_F(Startup, ExistingDefaultFileIsKeptWhenTheListIsMissing) {
    const std::string file = MakeFile("Termif98.tmf", {Always(), {.vorname = "Zweite"}}, "01.06.2024");
    InitProgram();
    EXPECT_EQ(CurrentFile(), file);
    EXPECT_EQ(EntryCount, 2);
    EXPECT_EQ(ReadOnDisk(file).count(), 2);
    EXPECT_EQ(MainGrid.rowCount(), 3);
}

TEST_F(Startup, MainWindowTakesTheStoredOffsetsAndTheFileItsChoices) {
    const std::string file = MakeFile("Sortiert.tmf",
                                      {{.vorname = "Zoe", .nachname = "Arm", .termin = "16.06.1990"},
                                       {.vorname = "Adam", .nachname = "Zorn", .termin = "20.06.1990"}},
                                      "14.06.2024", 3, 1);
    WriteList("0", "0", {file}, "10", "-20");
    InitProgram();

    EXPECT_EQ(main.moves, (std::vector<std::pair<int, int>>{{222, 164}}));
    EXPECT_EQ(main.choiceLists, (std::vector<std::pair<int, int>>{{3, 1}}));
    EXPECT_EQ(MainGrid.text(1, 1), "Adam");
    EXPECT_EQ(MainGrid.text(4, 1), "5");
    EXPECT_EQ(MainGrid.text(4, 2), "1");
}

// ------------------------------------------------------ when checks happen

TEST_F(Startup, OnceADayChecksAtTheFirstStartOfEachDayOnly) {
    const std::string file = MakeFile("Taeglich.tmf", {Always()}, "14.06.2024");
    WriteList("0", "1", {file});

    InitProgram();
    EXPECT_TRUE(Checked());
    EXPECT_EQ(ReadOnDisk(file).lastCheck(), "15.06.2024");

    ForgetTheRun();
    AppendSpareRecord(file);
    InitProgram();
    EXPECT_FALSE(Checked());
    EXPECT_EQ(EntryCount, 1);
    // Still written in full and stamped.
    EXPECT_TRUE(ReadOnDisk(file).savedInFull());
    EXPECT_EQ(ReadOnDisk(file).lastCheck(), "15.06.2024");

    ForgetTheRun();
    platform.moveDays(1);
    InitProgram();
    EXPECT_TRUE(Checked());
    EXPECT_EQ(ReadOnDisk(file).lastCheck(), "16.06.2024");
}

TEST_F(Startup, CheckAtEveryStartWinsOverOnceADay) {
    const std::string file = MakeFile("Immer.tmf", {Always()}, "15.06.2024");
    WriteList("1", "1", {file});
    InitProgram();
    EXPECT_TRUE(Checked());
    ForgetTheRun();
    InitProgram();
    EXPECT_TRUE(Checked());
}

TEST_F(Startup, OnceADayChecksWhenTheLastCheckDateIsEmptyOrBroken) {
    for (const std::string last : {"", "32.13.2024", "gestern"}) {
        SCOPED_TRACE(last);
        ForgetTheRun();
        const std::string file = MakeFile("Datum.tmf", {Always()}, last);
        WriteList("0", "1", {file});
        InitProgram();
        EXPECT_TRUE(Checked());
        EXPECT_EQ(ReadOnDisk(file).lastCheck(), "15.06.2024");
    }
}

TEST_F(Startup, WithoutAnyCheckTheFileIsStillLoadedInFullAndStamped) {
    const std::string file =
        MakeFile("Nie.tmf", {Always(), {.vorname = "Zweite", .termin = "02.02.1990"}}, "01.01.2024");
    WriteList("0", "0", {file});
    InitProgram();

    EXPECT_FALSE(Checked());
    EXPECT_EQ(splash.fileCaptions, std::vector<std::string>{"Nie.tmf"});
    EXPECT_EQ(EntryCount, 2);
    EXPECT_EQ(MainGrid.text(1, 2), "Zweite");
    EXPECT_EQ(ReadOnDisk(file).lastCheck(), "15.06.2024");
    EXPECT_EQ(Modified, 0);
}

TEST_F(Startup, StartsWithoutACheckHideAPassedDateFromTheNextCheck) {
    platform.setToday(2024, 6, 10);
    const std::string file =
        MakeFile("Luecke.tmf", {{.vorname = "Juni", .termin = "12.06.1980"}}, "09.06.2024");
    WriteList("0", "0", {file});
    InitProgram();
    ForgetTheRun();
    platform.setToday(2024, 6, 14);
    InitProgram();
    EXPECT_EQ(ReadOnDisk(file).lastCheck(), "14.06.2024");

    CheckDates("Auto");
    EXPECT_TRUE(results.showings.empty());
}

// ----------------------------------------------- the current file is broken

TEST_F(Startup, UnreadableCurrentFileSwitchesToTheTestFileAndEndsTheProgram) {
    const std::string broken = DataDir + "Kaputt.tmf";
    WriteAppointmentFileBytes(broken, std::string(50, '\x01'));
    const std::string other = MakeFile("Andere.tmf", {Always()});
    WriteList("1", "0", {broken, other});

    InitProgram();

    const std::string testFile = DataDir + "TestDatei.tmf";
    EXPECT_EQ(messages(), std::vector<std::string>{broken + " konnte nicht geladen werden !"});
    EXPECT_TRUE(ProgramEnding());
    EXPECT_EQ(splash.decisions, std::vector<bool>{false});
    EXPECT_EQ(main.shown, 0);
    EXPECT_TRUE(main.captions.empty());
    EXPECT_EQ(dir.read("daten/Kaputt.tmf"), std::string(50, '\x01'));
    const OnDisk test = ReadOnDisk(testFile);
    EXPECT_EQ(test.size, kRecordSize);
    EXPECT_EQ(test.lastCheck(), "15.06.2024");

    // "Liste.dat" already names the test file for the next start; the broken
    // file stays listed, so it is checked again once it can be read.
    ListLines.fill({});
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(ListedFiles(), (std::vector<std::string>{testFile, broken, other}));

    ForgetTheRun();
    InitProgram();
    EXPECT_FALSE(ProgramEnding());
    EXPECT_EQ(CurrentFile(), testFile);
    EXPECT_EQ(splash.decisions, std::vector<bool>{true});
    EXPECT_EQ(main.shown, 1);
    EXPECT_EQ(messages(), (std::vector<std::string>{broken + " konnte nicht geladen werden !", TermNamesCreated()}));
}

TEST_F(Startup, ExistingTestFileIsLeftAsItIsOnTheFailurePath) {
    const std::string testFile = MakeFile("TestDatei.tmf", {Always(), {.vorname = "Zwei"}}, "01.01.2024");
    const std::string before = dir.read("daten/TestDatei.tmf");
    const std::string broken = DataDir + "Kaputt.tmf";
    WriteAppointmentFileBytes(broken, "");
    WriteList("1", "0", {broken});

    InitProgram();
    EXPECT_TRUE(ProgramEnding());
    EXPECT_EQ(dir.read("daten/TestDatei.tmf"), before);

    ForgetTheRun();
    InitProgram();
    EXPECT_EQ(CurrentFile(), testFile);
    EXPECT_EQ(EntryCount, 2);
    EXPECT_TRUE(Checked());
}

TEST_F(Startup, BrokenTestFileDoesNotKeepTheProgramFromEverStartingAgain) {
    const std::string testFile = DataDir + "TestDatei.tmf";
    const std::string broken(20, '\x02');
    WriteAppointmentFileBytes(testFile, broken);
    WriteList("1", "0", {testFile});

    InitProgram();
    EXPECT_TRUE(ProgramEnding());
    EXPECT_EQ(messages(), std::vector<std::string>{testFile + " konnte nicht geladen werden !"});
    // A fresh test file takes the broken one's place; the broken one is not
    // written to.
    EXPECT_EQ(dir.read("daten/TestDatei.tmf"), broken);
    ForgetTheRun();
    InitProgram();
    EXPECT_FALSE(ProgramEnding());
    EXPECT_EQ(CurrentFile(), DataDir + "TestDatei2.tmf");
    EXPECT_EQ(CheckList(1), testFile);
    EXPECT_EQ(main.shown, 1);
    EXPECT_EQ(dir.read("daten/TestDatei.tmf"), broken);
}

TEST_F(Startup, LoadFailureKeepsEverySettingAndStampsNothingIntoTheBrokenFile) {
    const std::string broken = DataDir + "Haupt.tmf";
    const std::string bytes = "kein Termin" + std::string(400, '\x07');
    WriteAppointmentFileBytes(broken, bytes);
    WriteList("0", "1", {broken}, "17", "-5");
    ListLines.fill({});
    ASSERT_TRUE(LoadCheckList());
    SettingsLines(CheckInBackground) = "1";
    SettingsLines(CountdownSeconds) = "7";
    ASSERT_TRUE(SaveCheckList());
    ListLines.fill({});

    InitProgram();

    EXPECT_TRUE(ProgramEnding());
    ListLines.fill({});
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(ListedFiles(), (std::vector<std::string>{DataDir + "TestDatei.tmf", broken}));
    EXPECT_EQ(SettingsLines(CheckDaily), "1");
    EXPECT_EQ(SettingsLines(CheckAtStart), "0");
    EXPECT_EQ(SettingsLines(CheckInBackground), "1");
    EXPECT_EQ(SettingsLines(CountdownSeconds), "7");
    EXPECT_EQ(SettingsLines(WindowOffsetX), "17");
    EXPECT_EQ(SettingsLines(WindowOffsetY), "-5");
    EXPECT_EQ(dir.read("daten/Haupt.tmf"), bytes);
}

TEST_F(Startup, OnAFullCheckListTheTestFileTakesTheBrokenFilesSlot) {
    // The test file new to the list, or listed further down already: either
    // way the next start opens it, with the settings kept.
    for (const int testSlot : {-1, 57}) {
        SCOPED_TRACE(testSlot);
        ForgetTheRun();
        const std::string broken = DataDir + "Kaputt.tmf";
        const std::string testFile = DataDir + "TestDatei.tmf";
        WriteAppointmentFileBytes(broken, std::string(50, '\x01'));
        DeleteFile(testFile);
        std::vector<std::string> files = {broken};
        for (int k = 1; k < kCheckListSlots; ++k) {
            if (k == testSlot) {
                files.push_back(MakeFile("TestDatei.tmf", {Always()}));
                continue;
            }
            files.push_back(DataDir + "f" + std::to_string(k) + ".tmf");
            dir.write("daten/" + ExtractFileName(files.back()), "x");
        }
        WriteList("0", "1", files, "17", "-5");
        std::vector<std::string> expected = files;
        expected[0] = testFile;
        if (testSlot > 0) expected[static_cast<std::size_t>(testSlot)] = broken;

        InitProgram();

        EXPECT_EQ(messages(), std::vector<std::string>{broken + " konnte nicht geladen werden !"});
        EXPECT_TRUE(ProgramEnding());
        EXPECT_EQ(dir.read("daten/Kaputt.tmf"), std::string(50, '\x01'));
        ListLines.fill({});
        ASSERT_TRUE(LoadCheckList());
        EXPECT_EQ(ListedFiles(), expected);
        EXPECT_EQ(SettingsLines(CheckDaily), "1");
        EXPECT_EQ(SettingsLines(WindowOffsetX), "17");

        ForgetTheRun();
        InitProgram();
        EXPECT_FALSE(ProgramEnding());
        EXPECT_EQ(CurrentFile(), testFile);
        EXPECT_EQ(main.shown, 1);
    }
}

TEST_F(Startup, FailedStampAtStartKeepsTheCheckChangesMarkedUnsaved) {
    // A first warning negates the lead: a change the start-up must save.
    const std::string file = MakeFile("Haupt.tmf", {{.termin = "20.06.1990", .warnung1 = 7}});
    WriteList("1", "0", {file});
    SetWriteFailureAfterBytesForTesting(0);

    InitProgram();

    SetWriteFailureAfterBytesForTesting(std::nullopt);
    EXPECT_FALSE(ProgramEnding());
    EXPECT_EQ(Modified, 1);
    EXPECT_EQ(EntryTable(Warnung1, 1).asInteger(), -7);
}

TEST_F(Startup, CurrentFileDeletedBetweenRunsIsDroppedAndTheNextOneOpens) {
    const std::string gone = MakeFile("Weg.tmf", {Always()});
    const std::string other = MakeFile("Andere.tmf", {Always(), Always()});
    WriteList("0", "0", {gone, other});
    DeleteFile(gone);

    InitProgram();

    EXPECT_EQ(messages().front(),
              gone + "\r\nDatei ist nicht mehr vorhanden und wird aus der Prüfliste entfernt !");
    EXPECT_FALSE(ProgramEnding());
    EXPECT_EQ(CurrentFile(), other);
    EXPECT_EQ(EntryCount, 2);
    EXPECT_FALSE(FileExists(gone));
}

TEST_F(Startup, CurrentFileVanishingDuringStartUpTakesTheFailurePath) {
    const std::string gone = MakeFile("Weg.tmf", {Always()});
    WriteList("1", "0", {gone});
    splash.beforeDecision = [&] { DeleteFile(gone); };

    InitProgram();

    EXPECT_TRUE(ProgramEnding());
    EXPECT_FALSE(FileExists(gone));
    EXPECT_EQ(CurrentFile(), DataDir + "TestDatei.tmf");
    EXPECT_TRUE(FileExists(DataDir + "TestDatei.tmf"));
    ListLines.fill({});
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(CurrentFile(), DataDir + "TestDatei.tmf");
}

// ------------------------------------------------------------- countdown

TEST_F(Startup, CountdownKeepsEveryValueTheSplashCounterReaches) {
    // A value of 0 or less would never be reached; nor would one beyond the
    // counter's 16 bits.
    const std::pair<const char*, int> cases[] = {{"3", 3},         {"1", 1},         {"10", 10},
                                                 {"0", 1},         {"-5", 1},        {"11", 11},
                                                 {"60", 60},       {"32767", 32767}, {"32768", 32767},
                                                 {"99999999999", 32767}, {"", 3},    {"drei", 3}};
    for (const auto& [text, want] : cases) {
        SettingsLines(CountdownSeconds) = text;
        EXPECT_EQ(CountdownLimit(), want) << '"' << text << '"';
    }
}
