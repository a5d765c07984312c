// The small services: folders, window placement, sounds,
// waiting, starting other programs, repeating texts.
#include <gtest/gtest.h>

#include <filesystem>

#include "CoreFixture.h"
#include "Funky.h"
#include "State.h"

using namespace tmf;
using tmf::test::CoreTest;

class Funky : public CoreTest {};

// ------------------------------------------------------------- RepeatText

TEST_F(Funky, RepeatTextRepeatsOrGivesTheEmptyText) {
    EXPECT_EQ(RepeatText(3, " "), "   ");
    EXPECT_EQ(RepeatText(0, " "), "");
    EXPECT_EQ(RepeatText(-2, " "), "");
    EXPECT_EQ(RepeatText(2, "ab"), "abab");
    EXPECT_EQ(RepeatText(2, "ä"), "ää");
    EXPECT_EQ(RepeatText(5, ""), "");
    EXPECT_EQ(RepeatText(1, "x"), "x");
}

// ---------------------------------------------------------- PlaceWindow

TEST_F(Funky, PlaceWindowCentresAndAddsTheOffsets) {
    platform.screen = {1024, 768};
    EXPECT_EQ(PlaceWindow(401, 300, 0, 0).left, 311);
    EXPECT_EQ(PlaceWindow(401, 300, 0, 0).top, 234);
    EXPECT_EQ(PlaceWindow(401, 300, -20, 0).left, 291);
    EXPECT_EQ(PlaceWindow(401, 300, 0, 15).top, 249);
    EXPECT_EQ(PlaceWindow(1024, 768, 0, 0).left, 0);
}

TEST_F(Funky, PlaceWindowTruncatesHalvesTowardZero) {
    platform.screen = {1024, 768};
    EXPECT_EQ(PlaceWindow(1023, 767, 0, 0).left, 0);  // half of 1
    EXPECT_EQ(PlaceWindow(1021, 765, 0, 0).left, 1);  // half of 3
    EXPECT_EQ(PlaceWindow(1021, 765, 0, 0).top, 1);
    EXPECT_EQ(PlaceWindow(1125, 869, 0, 0).left, -50);  // half of -101
    EXPECT_EQ(PlaceWindow(1125, 869, 0, 0).top, -50);
    EXPECT_EQ(PlaceWindow(1126, 768, 0, 0).left, -51);
}

TEST_F(Funky, WindowOffsetsAreTheReverseOfPlaceWindow) {
    platform.screen = {1280, 1024};
    EXPECT_EQ(WindowOffsets(311 + 128, 0, 401, 1024).left, 0);
    for (int width : {100, 401, 1279, 1280, 1281, 1500})
        for (int height : {1, 300, 1023, 1025})
            for (int dx : {-300, -1, 0, 1, 77})
                for (int dy : {-5, 0, 12}) {
                    const WindowPos p = PlaceWindow(width, height, dx, dy);
                    const WindowPos o = WindowOffsets(p.left, p.top, width, height);
                    ASSERT_EQ(o.left, dx);
                    ASSERT_EQ(o.top, dy);
                }
}

// --------------------------------------------------------- SetupFolders

TEST_F(Funky, FoldersBesideTheProgram) {
    std::filesystem::create_directory(dir.file("daten"));
    std::filesystem::create_directory(dir.file("musik"));
    ProgramDir = DataDir = SoundDir = SpecialDir = "";
    SetupFolders();
    EXPECT_EQ(ProgramDir, dir.path());
    EXPECT_EQ(DataDir, dir.path() + "daten/");
    EXPECT_EQ(SoundDir, dir.path() + "musik/");
    EXPECT_EQ(SpecialDir, dir.path() + "spezial/");
}

TEST_F(Funky, WithoutDatenAndMusikTheProgramFolderServes) {
    SetupFolders();
    EXPECT_EQ(DataDir, dir.path());
    EXPECT_EQ(SoundDir, dir.path());
    // "spezial" has no fallback: it is used unchanged.
    EXPECT_EQ(SpecialDir, dir.path() + "spezial/");
}

TEST_F(Funky, OnlyTheMissingFolderFallsBack) {
    std::filesystem::create_directory(dir.file("musik"));
    SetupFolders();
    EXPECT_EQ(DataDir, dir.path());
    EXPECT_EQ(SoundDir, dir.path() + "musik/");
}

TEST_F(Funky, AFileNamedDatenIsNoFolder) {
    dir.write("daten", "x");
    SetupFolders();
    EXPECT_EQ(DataDir, dir.path());
}

TEST_F(Funky, ProgramFolderGetsItsTrailingSlash) {
    std::filesystem::create_directory(dir.file("daten"));
    platform.programDir = dir.path().substr(0, dir.path().size() - 1);
    SetupFolders();
    EXPECT_EQ(ProgramDir, dir.path());
    EXPECT_EQ(DataDir, dir.path() + "daten/");
}

// ------------------------------------------------------------ PlaySound

TEST_F(Funky, ModeOnePlaysToTheEndModeZeroReturnsAtOnce) {
    PlaySound("fehler", 1);
    PlaySound("Hinweis", 0);
    EXPECT_EQ(platform.sounds, (std::vector<std::string>{SoundDir + "fehler.wav", SoundDir + "Hinweis.wav"}));
    EXPECT_EQ(platform.soundWaited, (std::vector<bool>{true, false}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(Funky, OtherModesAreReportedAndPassedOnAsFlags) {
    PlaySound("tata", 2);   // no asynchronous bit: plays to its end
    PlaySound("close", 3);  // asynchronous bit set
    EXPECT_EQ(messages(), (std::vector<std::string>{"ID Nummer für Wav nicht bekannt !",
                                                    "ID Nummer für Wav nicht bekannt !"}));
    EXPECT_EQ(platform.sounds, (std::vector<std::string>{SoundDir + "tata.wav", SoundDir + "close.wav"}));
    EXPECT_EQ(platform.soundWaited, (std::vector<bool>{true, false}));
}

TEST_F(Funky, SoundThatCannotStartSaysSoAndTheProgramGoesOn) {
    platform.soundFails = true;
    PlaySound("fehler", 1);
    EXPECT_EQ(messages(), std::vector<std::string>{"Sound defekt !"});
    EXPECT_EQ(platform.sounds.size(), 1u);
}

TEST_F(Funky, SoundFileIsNotCheckedBeforePlaying) {
    SoundDir = dir.file("gibtsnicht/");
    PlaySound("fehler", 1);
    EXPECT_EQ(platform.sounds, std::vector<std::string>{dir.file("gibtsnicht/fehler.wav")});
    EXPECT_TRUE(messages().empty());
}

// ---------------------------------------------------------- WaitSeconds

TEST_F(Funky, WaitWithoutEventsFreezesTheInterface) {
    const auto t0 = platform.tick;
    WaitSeconds(1, 0.5);
    EXPECT_GE(platform.tick - t0, 500u);
    EXPECT_LE(platform.tick - t0, 501u);
    EXPECT_EQ(platform.pumps, 0);
}

TEST_F(Funky, WaitWithEventsKeepsPumping) {
    const auto t0 = platform.tick;
    WaitSeconds(0, 0.5);
    EXPECT_GE(platform.tick - t0, 500u);
    EXPECT_LE(platform.tick - t0, 501u);
    EXPECT_GE(platform.pumps, 500);
}

TEST_F(Funky, WaitTakesFractionsOfASecond) {
    const auto t0 = platform.tick;
    WaitSeconds(1, 0.0015);
    EXPECT_EQ(platform.tick - t0, 2u);
    WaitSeconds(1, 2.25);
    EXPECT_EQ(platform.tick - t0, 2u + 2250u);
}

TEST_F(Funky, WaitOfNothingStillLetsPendingEventsThrough) {
    // The wait loop is repeat ... until: the events are served at least once.
    const auto t0 = platform.tick;
    WaitSeconds(0, 0);
    EXPECT_EQ(platform.tick, t0);
    EXPECT_EQ(platform.pumps, 1);
    WaitSeconds(1, 0);
    EXPECT_EQ(platform.pumps, 1);
}

// ----------------------------------------------------------- RunAndWait

TEST_F(Funky, RunAndWaitStartsTheProgramInItsFolder) {
    EXPECT_TRUE(RunAndWait("Konverto.exe", "/alt/A.TMF#/daten/A.tmf", dir.path()));
    ASSERT_EQ(platform.runs.size(), 1u);
    EXPECT_EQ(platform.runs[0].program, "Konverto.exe");
    EXPECT_EQ(platform.runs[0].arguments, std::vector<std::string>{"/alt/A.TMF#/daten/A.tmf"});
    EXPECT_EQ(platform.runs[0].folder, dir.path());
    EXPECT_TRUE(messages().empty());
}

TEST_F(Funky, RunAndWaitWithoutParametersPassesNoArgument) {
    // "program" + " " + "" is a command line without arguments.
    EXPECT_TRUE(RunAndWait("Konverto.exe", "", dir.path()));
    ASSERT_EQ(platform.runs.size(), 1u);
    EXPECT_TRUE(platform.runs[0].arguments.empty());
}

TEST_F(Funky, RunAndWaitThatCannotStartSaysSo) {
    platform.processStarts = false;
    EXPECT_FALSE(RunAndWait("Konverto.exe", "a#b", "/opt/termif/"));
    EXPECT_EQ(messages(), std::vector<std::string>{"Fehler beim Aufruf von /opt/termif/Konverto.exe !"});
}

TEST_F(Funky, ProcessPendingMessagesPumpsOnce) {
    ProcessPendingMessages();
    EXPECT_EQ(platform.pumps, 1);
}
