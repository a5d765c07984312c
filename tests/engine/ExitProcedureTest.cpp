// The exit procedure: the order of its effects, the save question and its
// three answers, the autostart request, and the window offsets it keeps for
// the next start.
#include <gtest/gtest.h>

#include <functional>

#include "CheckListEdit.h"
#include "EngineFixture.h"
#include "ListFiles.h"

using namespace tmf;
using namespace tmf::test;

namespace {

// Notes every sound, question, beep and autostart call, with the list files
// that exist at that moment, so the order of the writes can be read back.
class LoggingPlatform : public ScriptedPlatform {
public:
    std::vector<std::string> log;
    std::function<void()> onAsk;

    bool Play(const std::string& path, bool wait) override {
        note(ExtractFileName(path) + (wait ? " wait" : ""));
        return ScriptedPlatform::Play(path, wait);
    }
    Answer Ask(const std::string& text, MessageKind kind, Buttons buttons) override {
        note(buttons == Buttons::YesNoCancel ? "ask yes/no/cancel" : "ask");
        if (onAsk) onAsk();
        return ScriptedPlatform::Ask(text, kind, buttons);
    }
    bool Add(const std::string& programPath, const std::string& itemName) override {
        note("autostart");
        return ScriptedPlatform::Add(programPath, itemName);
    }
    bool Remove(const std::string& itemName) override {
        note("autostart");
        return ScriptedPlatform::Remove(itemName);
    }
    void Beep() override {
        note("beep");
        ScriptedPlatform::Beep();
    }

private:
    void note(const std::string& what) {
        std::string files;
        if (FileExists(DataDir + "Liste.dat")) files += " +Liste";
        if (FileExists(DataDir + "Termin.dat")) files += " +Termin";
        log.push_back(what + files);
    }
};

}  // namespace

class Exit : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        logging.programDir = platform.programDir;
        logging.install();
        InstallEngineProgress();
        ResetSettings();
        file = MakeFile("Aktuell.tmf", {{.vorname = "Alt", .termin = "01.02.1990"}, {.vorname = "Zwei"}},
                        "01.06.2024");
        CurrentFile() = file;
        ASSERT_TRUE(IsLoaded(LoadAppointmentFile(file, "Alles")));
        TermNames[0] = "Geburtstag";
        main.geometry = {212, 184, 600, 400};  // centred on 1024 x 768
    }
    // What the next start reads from "Liste.dat".
    static std::pair<std::string, std::string> StoredOffsets() {
        ListLines.fill({});
        EXPECT_TRUE(LoadCheckList());
        return {SettingsLines(WindowOffsetX), SettingsLines(WindowOffsetY)};
    }

    LoggingPlatform logging;
    std::string file;
};

TEST_F(Exit, UnchangedFileNeedsNoQuestionButGetsItsHeaderAndTheListIsWritten) {
    EntryTable(HeaderOutputChoice, 0) = Cell("3");
    EXPECT_TRUE(ExitProcedure());

    EXPECT_EQ(logging.log, std::vector<std::string>{"close.wav wait"});
    EXPECT_TRUE(logging.questions.empty());
    EXPECT_TRUE(logging.autostartCalls.empty());
    const OnDisk disk = ReadOnDisk(file);
    EXPECT_EQ(disk.lastCheck(), "15.06.2024");
    EXPECT_EQ(disk.header[HeaderOutputChoice].asText(), "3");
    EXPECT_EQ(disk.count(), 2);
    EXPECT_FALSE(FileExists(DataDir + "Termin.dat"));
    EXPECT_TRUE(FileExists(DataDir + "Liste.dat"));
    EXPECT_TRUE(ProgramEnding());
}

TEST_F(Exit, EffectsComeInOrderAndYesSavesTheWholeFile) {
    Modified = 1;
    AutostartRequest = 1;
    EntryTable(Vorname, 1) = Cell("Neu");
    logging.queueAnswer(Answer::Yes);

    EXPECT_TRUE(ExitProcedure());

    EXPECT_EQ(logging.log, (std::vector<std::string>{"close.wav wait", "autostart +Liste",
                                                     "ask yes/no/cancel +Liste +Termin"}));
    EXPECT_EQ(logging.questions, std::vector<std::string>{file + ", wurde geändert.\r\nDatei abspeichern ?"});
    EXPECT_EQ(logging.autostartCalls,
              std::vector<std::string>{"add:" + ProgramDir + "Termif98|Termifolio98"});
    const OnDisk disk = ReadOnDisk(file);
    EXPECT_EQ(disk.entries.at(0)[Vorname].asText(), "Neu");
    EXPECT_EQ(disk.lastCheck(), "15.06.2024");
    EXPECT_TRUE(ProgramEnding());
}

TEST_F(Exit, AutostartRequestIsCarriedOutOnlyWhenOneWasMade) {
    AutostartRequest = 0;
    EXPECT_TRUE(ExitProcedure());
    EXPECT_EQ(logging.autostartCalls, std::vector<std::string>{"remove:Termifolio98"});

    logging.autostartCalls.clear();
    AutostartRequest = -1;
    EXPECT_TRUE(ExitProcedure());
    EXPECT_TRUE(logging.autostartCalls.empty());
}

TEST_F(Exit, FailedAutostartEntryIsReportedAndTheExitGoesOn) {
    AutostartRequest = 1;
    logging.autostartWorks = false;
    EXPECT_TRUE(ExitProcedure());
    EXPECT_EQ(logging.messageTexts(), std::vector<std::string>{"Konnte AUTOSTART Icon nicht verknüpfen !"});
    EXPECT_TRUE(ProgramEnding());
}

TEST_F(Exit, NoKeepsTheEntriesOnDiskButStampsTheHeaderAndWritesBothLists) {
    Modified = 1;
    EntryTable(Vorname, 1) = Cell("Neu");
    EntryTable(HeaderSortChoice, 0) = Cell("2");
    main.geometry.left += 50;
    logging.queueAnswer(Answer::No);

    EXPECT_TRUE(ExitProcedure());

    const OnDisk disk = ReadOnDisk(file);
    EXPECT_EQ(disk.entries.at(0)[Vorname].asText(), "Alt");
    EXPECT_EQ(disk.lastCheck(), "15.06.2024");
    EXPECT_EQ(disk.header[HeaderSortChoice].asText(), "2");
    EXPECT_TRUE(FileExists(DataDir + "Termin.dat"));
    EXPECT_EQ(StoredOffsets(), (std::pair<std::string, std::string>{"50", "0"}));
}

TEST_F(Exit, CancelKeepsTheProgramRunningWithHeaderAndOffsetsUntouched) {
    Modified = 1;
    main.geometry.left += 50;
    logging.queueAnswer(Answer::Cancel);

    EXPECT_FALSE(ExitProcedure());

    EXPECT_FALSE(ProgramEnding());
    EXPECT_EQ(ReadOnDisk(file).lastCheck(), "01.06.2024");
    EXPECT_EQ(SettingsLines(WindowOffsetX), "0");
    EXPECT_EQ(Modified, 1);
    EXPECT_EQ(StoredOffsets().first, "0");
}

TEST_F(Exit, FailedSaveAfterYesKeepsTheProgramRunning) {
    Modified = 1;
    EntryTable(Vorname, 1) = Cell("Neu");
    logging.queueAnswer(Answer::Yes);
    const std::string before = dir.read("daten/Aktuell.tmf");
    logging.onAsk = [] { SetWriteFailureAfterBytesForTesting(100); };

    EXPECT_FALSE(ExitProcedure());

    EXPECT_FALSE(ProgramEnding());
    EXPECT_EQ(Modified, 1);
    EXPECT_EQ(dir.read("daten/Aktuell.tmf"), before);
    ASSERT_EQ(logging.messageTexts().size(), 2u);
    EXPECT_EQ(logging.messageTexts()[1].rfind("Die Datei " + file + " konnte nicht gespeichert werden !", 0),
              0u);
}

TEST_F(Exit, WindowPositionIsStoredAsOffsetsFromTheCentre) {
    struct Case {
        WindowRect window;
        std::string x, y;
        bool beep;
    };
    const Case cases[] = {
        {{212, 184, 600, 400}, "0", "0", false},
        {{262, 154, 600, 400}, "50", "-30", false},
        {{-300, 184, 600, 400}, "-512", "0", false},  // centre on the left edge
        {{-301, 184, 600, 400}, "0", "0", true},      // centre just off it
        {{723, 184, 600, 400}, "511", "0", false},
        {{724, 184, 600, 400}, "0", "0", true},  // centre at x = screen width
        {{212, 567, 600, 400}, "0", "383", false},
        {{212, 568, 600, 400}, "0", "0", true},
        {{212, -201, 600, 400}, "0", "0", true},
        {{211, 183, 601, 401}, "0", "0", false},   // odd sizes centre truncated
        {{0, 0, 1101, 401}, "38", "-183", false},  // wider than the screen
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.window.left) + "," + std::to_string(c.window.top));
        SetProgramEnding(false);
        logging.beeps = 0;
        SettingsLines(WindowOffsetX) = "7";
        SettingsLines(WindowOffsetY) = "7";
        main.geometry = c.window;
        ASSERT_TRUE(ExitProcedure());
        EXPECT_EQ(SettingsLines(WindowOffsetX), c.x);
        EXPECT_EQ(SettingsLines(WindowOffsetY), c.y);
        EXPECT_EQ(logging.beeps, c.beep ? 1 : 0);
    }
    EXPECT_EQ(StoredOffsets(), (std::pair<std::string, std::string>{"38", "-183"}));
}

TEST_F(Exit, AnsweringNoAfterAFailedSaveKeepsEveryEntryOfTheFileOnDisk) {
    DeleteEntry(1);
    Modified = 1;
    logging.queueAnswer(Answer::Yes);
    logging.onAsk = [] { SetWriteFailureAfterBytesForTesting(100); };
    ASSERT_FALSE(ExitProcedure());

    SetWriteFailureAfterBytesForTesting(std::nullopt);
    logging.onAsk = nullptr;
    logging.queueAnswer(Answer::No);
    ASSERT_TRUE(ExitProcedure());

    // The header written on the way out must still count the entries that
    // the unsaved file holds.
    ResizeEntryTable(0);
    ASSERT_TRUE(IsLoaded(LoadAppointmentFile(file, "Alles")));
    EXPECT_EQ(EntryCount, 2);
    EXPECT_EQ(EntryTable(Vorname, 1).asText(), "Alt");
}

TEST_F(Exit, AFileThatFailedToLoadIsNeitherStampedNorOverwritten) {
    const std::string broken = DataDir + "Kaputt.tmf";
    const std::string bytes(500, '\x03');
    WriteAppointmentFileBytes(broken, bytes);
    CurrentFile() = broken;
    ASSERT_FALSE(IsLoaded(LoadAppointmentFile(broken, "Alles")));

    EXPECT_TRUE(ExitProcedure());  // nothing changed: only the stamp, which is skipped
    EXPECT_EQ(dir.read("daten/Kaputt.tmf"), bytes);

    // Entries typed in afterwards must go elsewhere: "Ja" is refused with a
    // message, and the program goes on running.
    SetProgramEnding(false);
    Modified = 1;
    logging.queueAnswer(Answer::Yes);
    EXPECT_FALSE(ExitProcedure());
    EXPECT_EQ(dir.read("daten/Kaputt.tmf"), bytes);
    EXPECT_EQ(Modified, 1);

    // Once it loads again (repaired outside), it is an ordinary file.
    MakeFile("Kaputt.tmf", {{.vorname = "Wieder"}});
    ASSERT_TRUE(IsLoaded(LoadAppointmentFile(broken, "Alles")));
    EXPECT_FALSE(FailedToLoad(broken));
}
