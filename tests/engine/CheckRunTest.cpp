// The check run over the files of the check list: what it finds on which
// day, what it keeps in the files, what it plays and shows, and how it deals
// with files it cannot read.
#include <gtest/gtest.h>

#include "CheckRun.h"
#include "EngineFixture.h"
#include "FileIo.h"
#include "ListFiles.h"

using namespace tmf;
using namespace tmf::test;

namespace {

EntrySpec Entry(const std::string& termin, int w1 = 0, int w2 = 0, int erreicht = 0, bool loeschen = false,
                const std::string& name = "Anna") {
    return {.vorname = name,
            .nachname = "Berg",
            .termin = termin,
            .warnung1 = w1,
            .warnung2 = w2,
            .erreicht = erreicht,
            .loeschen = loeschen};
}

}  // namespace

class CheckRun : public EngineTest {};

// ------------------------------------------------------------ over a year

TEST_F(CheckRun, WarningsFollowAnEntryThroughAWholeYearOfDailyChecks) {
    platform.setToday(2024, 6, 13);
    const std::string path = MakeFile("Jahr.tmf", {Entry("20.06.1990", 7, 2)}, "12.06.2024");
    SetCheckList({path});

    struct Expected {
        std::vector<int> kinds;
        std::string text;
        int d;
        int w1;
        int erreicht;
        std::vector<std::string> sounds;
        bool changed;
    };
    auto expectedOn = [](int day) -> Expected {
        switch (day) {
            case 0:
                return {{1}, "hat in 7 Tag(en) Geburtstag !", 7, -7, 0, {"Hinweis"}, true};
            case 5:
                return {{2}, "hat in 2 Tag(en) Geburtstag !", 2, -7, 0, {"Hinweis"}, false};
            case 6:
                return {{2}, "hat in 1 Tag(en) Geburtstag !", 1, -7, 0, {"Hinweis"}, false};
            case 7:
                return {{3}, "hat Heute Geburtstag !", 0, -7, 1, {"tata"}, true};
            case 8:
                return {{}, "", 0, 7, 0, {}, true};  // re-armed
            case 365:
                return {{1}, "hat in 7 Tag(en) Geburtstag !", 7, -7, 0, {"Hinweis"}, true};
            default:
                return {{}, "", 0, day < 8 ? -7 : 7, 0, {}, false};
        }
    };

    for (int day = 0; day <= 365; ++day) {
        SCOPED_TRACE("day " + std::to_string(day) + ", " + today());
        // Each day is a new program start: nothing is left modified.
        Modified = 0;
        platform.clearRecords();
        results.showings.clear();
        if (ReadOnDisk(path).savedInFull()) AppendSpareRecord(path);

        ASSERT_TRUE(CheckDates("Auto"));

        const Expected want = expectedOn(day);
        if (want.kinds.empty()) {
            ASSERT_TRUE(results.showings.empty());
        } else {
            ASSERT_EQ(results.showings.size(), 1u);
            const CheckResultsType& r = results.showings[0].results;
            ASSERT_EQ(Kinds(r), want.kinds);
            EXPECT_EQ(r(2, 1).asText(), want.text);
            EXPECT_EQ(r(3, 1).asInteger(), want.d);
            EXPECT_EQ(r(0, 1).asInteger(), 1);
        }
        ASSERT_EQ(SoundNames(), want.sounds);

        const OnDisk disk = ReadOnDisk(path);
        ASSERT_EQ(disk.entries.at(0)[Warnung1].asInteger(), want.w1);
        ASSERT_EQ(disk.entries.at(0)[Warnung2].asInteger(), 2);
        ASSERT_EQ(disk.entries.at(0)[Erreicht].asInteger(), want.erreicht);
        ASSERT_EQ(disk.lastCheck(), today());
        ASSERT_EQ(disk.savedInFull(), want.changed);
        ASSERT_EQ(Modified, want.changed ? 1 : 0);
        platform.moveDays(1);
    }
}

TEST_F(CheckRun, WarningCountsInTheResultHeaderFollowTheRowsThatAddedThem) {
    platform.setToday(2024, 6, 13);
    SetCheckList({MakeFile("Kopf.tmf", {Entry("20.06.1990", 7, 2)}, "12.06.2024")});
    for (int day = 0; day <= 7; ++day) {
        results.showings.clear();
        CheckDates("Auto");
        if (day == 0 || day == 5 || day == 7) {
            ASSERT_EQ(results.showings.size(), 1u) << day;
            const CheckResultsType& r = results.showings[0].results;
            EXPECT_EQ(r(1, 0).asInteger(), day == 0 ? 1 : 0) << day;
            EXPECT_EQ(r(2, 0).asInteger(), day == 5 ? 1 : 0) << day;
            EXPECT_EQ(r(3, 0).asInteger(), day == 7 ? 1 : 0) << day;
            EXPECT_EQ(r(4, 0).asText(), CurrentFile());
            EXPECT_EQ(r.lastRow(), 1);
        }
        platform.moveDays(1);
    }
}

// ------------------------------------------------------- one file, one day

TEST_F(CheckRun, LeadsOfZeroDueTodayGiveOneDueTodayRowAndBothSounds) {
    const std::string path = MakeFile("Null.tmf", {Entry("15.06.1990")});
    SetCheckList({path});
    CheckDates("Auto");

    ASSERT_EQ(results.showings.size(), 1u);
    const CheckResultsType& r = results.showings[0].results;
    EXPECT_EQ(Kinds(r), std::vector<int>{3});
    EXPECT_EQ(r(2, 1).asText(), "hat Heute Geburtstag !");
    EXPECT_EQ(r(3, 1).asInteger(), 0);
    EXPECT_EQ(r(1, 0).asInteger(), 0);
    EXPECT_EQ(r(2, 0).asInteger(), 0);
    EXPECT_EQ(r(3, 0).asInteger(), 1);
    EXPECT_EQ(SoundNames(), (std::vector<std::string>{"Hinweis", "tata"}));
    const OnDisk disk = ReadOnDisk(path);
    EXPECT_EQ(disk.entries[0][Warnung1].asInteger(), 0);  // a lead of 0 stays 0
    EXPECT_EQ(disk.entries[0][Erreicht].asInteger(), 1);
}

TEST_F(CheckRun, EntryInBothWarningPeriodsIsOneSecondWarningCountedAsFirst) {
    const std::string path = MakeFile("Beide.tmf", {Entry("18.06.1990", 7, 3)});
    SetCheckList({path});
    CheckDates("Auto");

    ASSERT_EQ(results.showings.size(), 1u);
    const CheckResultsType& r = results.showings[0].results;
    EXPECT_EQ(Kinds(r), std::vector<int>{2});
    EXPECT_EQ(r(2, 1).asText(), "hat in 3 Tag(en) Geburtstag !");
    EXPECT_EQ(r(1, 0).asInteger(), 1);
    EXPECT_EQ(r(2, 0).asInteger(), 0);
    EXPECT_EQ(SoundNames(), (std::vector<std::string>{"Hinweis", "Hinweis"}));
    EXPECT_EQ(ReadOnDisk(path).entries[0][Warnung1].asInteger(), -7);
}

TEST_F(CheckRun, GivenFirstWarningAndNegativeSecondLeadDueTodayGetsItsOwnRow) {
    SetCheckList({MakeFile("Eigen.tmf", {Entry("01.01.1990"), Entry("15.06.1990", -7, -2)})});
    CheckDates("Auto");

    ASSERT_EQ(results.showings.size(), 1u);
    const CheckResultsType& r = results.showings[0].results;
    EXPECT_EQ(Kinds(r), std::vector<int>{3});
    EXPECT_EQ(r(0, 1).asInteger(), 2);
    EXPECT_EQ(r(2, 1).asText(), "hat Heute Geburtstag !");
    EXPECT_EQ(r(3, 1).asInteger(), 0);
    EXPECT_EQ(r(3, 0).asInteger(), 1);
    EXPECT_EQ(SoundNames(), std::vector<std::string>{"tata"});
}

TEST_F(CheckRun, DateBetweenLastCheckAndTodayIsReportedPassedOverAndReArmed) {
    platform.setToday(2024, 6, 14);
    const std::string path = MakeFile("Juni.tmf", {Entry("12.06.1975", -7, 2)}, "10.06.2024");
    SetCheckList({path});
    CheckDates("Auto");

    ASSERT_EQ(results.showings.size(), 1u);
    const CheckResultsType& r = results.showings[0].results;
    EXPECT_EQ(Kinds(r), std::vector<int>{4});
    EXPECT_EQ(r(2, 1).asText(), "Geburtstag wurde übergangen !");
    EXPECT_TRUE(r(3, 1).asText().empty());
    EXPECT_EQ(r(1, 0).asInteger() + r(2, 0).asInteger() + r(3, 0).asInteger(), 0);
    EXPECT_EQ(SoundNames(), std::vector<std::string>{"fehler"});
    const OnDisk disk = ReadOnDisk(path);
    EXPECT_EQ(disk.entries[0][Erreicht].asInteger(), 0);
    EXPECT_EQ(disk.entries[0][Warnung1].asInteger(), 7);
    EXPECT_TRUE(disk.savedInFull());
}

TEST_F(CheckRun, DateOnTheLastCheckDayIsNotPassedOver) {
    platform.setToday(2024, 6, 14);
    SetCheckList({MakeFile("Juni.tmf", {Entry("12.06.1975")}, "12.06.2024")});
    CheckDates("Auto");
    EXPECT_TRUE(results.showings.empty());
    EXPECT_TRUE(platform.sounds.empty());
}

TEST_F(CheckRun, PassedOverUsesDayAndMonthInTheCurrentYearOnly) {
    platform.setToday(2024, 6, 14);
    // A date in a later year and one already seen (Erreicht 1) in the gap.
    SetCheckList({MakeFile("Jahre.tmf", {Entry("12.06.2030"), Entry("13.06.1960", 0, 0, 1)}, "10.06.2024")});
    CheckDates("Auto");
    ASSERT_EQ(results.showings.size(), 1u);
    EXPECT_EQ(Kinds(results.showings[0].results), std::vector<int>{4});
    EXPECT_EQ(results.showings[0].results(0, 1).asInteger(), 1);
}

TEST_F(CheckRun, ChristmasIsPassedOverWhenTheCheckFallsInJanuary) {
    platform.setToday(2024, 1, 5);
    const std::string path =
        MakeFile("Winter.tmf", {Entry("25.12.1980", -7, 2), Entry("02.01.1980")}, "20.12.2023");
    SetCheckList({path});
    CheckDates("Auto");
    ASSERT_EQ(results.showings.size(), 1u);
    const CheckResultsType& r = results.showings[0].results;
    EXPECT_EQ(Kinds(r), (std::vector<int>{4, 4}));
    EXPECT_EQ(r(0, 1).asInteger(), 1);  // last year's Christmas, then the January date
    EXPECT_EQ(r(0, 2).asInteger(), 2);
    // Re-armed for the next Christmas, so its first warning comes again.
    const OnDisk disk = ReadOnDisk(path);
    EXPECT_EQ(disk.entries[0][Erreicht].asInteger(), 0);
    EXPECT_EQ(disk.entries[0][Warnung1].asInteger(), 7);
}

TEST_F(CheckRun, FileWithoutAUsableLastCheckDateReportsNothingPassedOver) {
    platform.setToday(2024, 6, 14);
    const std::string empty = MakeFile("Leer.tmf", {Entry("12.06.1975")}, "");
    const std::string broken = MakeFile("Kaputt.tmf", {Entry("12.06.1975")}, "31.02.2024");
    SetCheckList({empty, broken});
    ASSERT_TRUE(CheckDates("Auto"));
    EXPECT_TRUE(results.showings.empty());
    EXPECT_TRUE(platform.sounds.empty());
    EXPECT_EQ(ReadOnDisk(empty).lastCheck(), "14.06.2024");
    EXPECT_EQ(ReadOnDisk(broken).lastCheck(), "14.06.2024");
}

TEST_F(CheckRun, MessagesNameTheTermAndTheDaysLeft) {
    SetCheckList({MakeFile("Texte.tmf",
                           {{.vorname = "A", .termin = "18.06.1990", .terminart = "Namenstag", .warnung1 = 5},
                            {.vorname = "B", .termin = "15.06.2000", .terminart = "Jubiläum"}},
                           "14.06.2024")});
    CheckDates("Auto");
    ASSERT_EQ(results.showings.size(), 1u);
    EXPECT_EQ(Texts(results.showings[0].results),
              (std::vector<std::string>{"hat in 3 Tag(en) Namenstag !", "hat Heute Jubiläum !"}));
}

// ----------------------------------------------------- sounds and progress

TEST_F(CheckRun, EachSoundPlaysOncePerFileAndThePassedOverSoundOncePerRun) {
    platform.setToday(2024, 6, 15);
    const std::vector<EntrySpec> all = {
        Entry("20.06.1990", 7),     Entry("21.06.1990", 7),      // first warnings
        Entry("17.06.1990", -7, 3), Entry("16.06.1990", -7, 3),  // second warnings
        Entry("15.06.1980", -1),    Entry("15.06.1970", -1),     // due today
        Entry("12.06.1990"),        Entry("13.06.1991"),         // passed over
    };
    SetCheckList({MakeFile("A.tmf", all, "10.06.2024"), MakeFile("B.tmf", all, "10.06.2024")});
    CheckDates("Auto");

    // Slot 1 first; slot 0 has its own first, second and due-today sounds.
    EXPECT_EQ(SoundNames(), (std::vector<std::string>{"Hinweis", "Hinweis", "tata", "fehler", "Hinweis",
                                                      "Hinweis", "tata"}));
    for (bool waited : platform.soundWaited) EXPECT_TRUE(waited);
    ASSERT_EQ(results.showings.size(), 2u);
    EXPECT_EQ(Kinds(results.showings[1].results), (std::vector<int>{1, 1, 2, 2, 3, 3, 4, 4}));
}

TEST_F(CheckRun, SecondWarningRowDueTodayUsesUpTheSecondWarningSoundSilently) {
    SetCheckList({MakeFile("Still.tmf", {Entry("15.06.1990", -1, 0), Entry("17.06.1990", -7, 3)})});
    CheckDates("Auto");
    ASSERT_EQ(results.showings.size(), 1u);
    EXPECT_EQ(Kinds(results.showings[0].results), (std::vector<int>{3, 2}));
    EXPECT_EQ(SoundNames(), std::vector<std::string>{"tata"});
}

TEST_F(CheckRun, ReportsCheckProgressAtEveryFifthEntryAndTheLast) {
    ThePlatform().progress = &platform;
    std::vector<EntrySpec> twelve(12, Entry("01.01.1990"));
    SetCheckList({MakeFile("Zwoelf.tmf", twelve), MakeFile("Leer.tmf", {})});
    CheckDates("Auto");

    std::vector<ProgressCall> checks;
    for (const auto& p : platform.progress)
        if (p.text == "Prüfe...") checks.push_back(p);
    EXPECT_EQ(checks,
              (std::vector<ProgressCall>{{"Prüfe...", 5, 12}, {"Prüfe...", 10, 12}, {"Prüfe...", 12, 12}}));
}

// ------------------------------------------------------------ saving files

TEST_F(CheckRun, FileWithoutChangesGetsOnlyItsHeaderStamped) {
    const std::string quiet = MakeFile("Ruhig.tmf", {Entry("01.01.1990", 3, 2)}, "01.01.2024", 2, 3);
    // Second warnings report without changing anything.
    const std::string noisy = MakeFile("Laut.tmf", {Entry("16.06.1990", -7, 3)}, "01.01.2024");
    const std::string empty = MakeFile("Leer.tmf", {}, "01.01.2024");
    for (const auto& p : {quiet, noisy, empty}) AppendSpareRecord(p);
    SetCheckList({quiet, noisy, empty});

    ASSERT_TRUE(CheckDates("Auto"));
    EXPECT_EQ(results.showings.size(), 1u);
    for (const auto& p : {quiet, noisy, empty}) {
        const OnDisk disk = ReadOnDisk(p);
        EXPECT_EQ(disk.lastCheck(), "15.06.2024") << p;
        EXPECT_FALSE(disk.savedInFull()) << p;
    }
    const OnDisk disk = ReadOnDisk(quiet);
    EXPECT_EQ(disk.header[HeaderOutputChoice].asText(), "2");
    EXPECT_EQ(disk.header[HeaderSortChoice].asText(), "3");
    EXPECT_EQ(disk.entries[0][Warnung1].asInteger(), 3);
    EXPECT_EQ(Modified, 0);
}

TEST_F(CheckRun, ModifiedFromBeforeTheRunSavesEveryFileInFull) {
    const std::string a = MakeFile("A.tmf", {Entry("01.01.1990")});
    const std::string b = MakeFile("B.tmf", {Entry("02.01.1990")});
    AppendSpareRecord(a);
    AppendSpareRecord(b);
    SetCheckList({a, b});
    Modified = 1;
    CheckDates("Auto");
    EXPECT_TRUE(ReadOnDisk(a).savedInFull());
    EXPECT_TRUE(ReadOnDisk(b).savedInFull());
    EXPECT_EQ(Modified, 1);
}

TEST_F(CheckRun, AutomaticRunOnAFullDiskLeavesAChangedFileAsItWasAndSaysSo) {
    // The first warning changes the entry; a full disk refuses the new copy
    // but would still take an in-place header.
    const std::string path = MakeFile("Voll.tmf", {Entry("20.06.1990", 7, 2)}, "14.06.2024");
    SetCheckList({path});
    const std::string before = dir.read("daten/Voll.tmf");
    SetWriteFaultForTesting(WriteFault::NoSpaceForNewFiles);
    CheckDates("Auto");
    SetWriteFaultForTesting(WriteFault::None);

    EXPECT_EQ(dir.read("daten/Voll.tmf"), before);
    const std::vector<std::string> said = messages();
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("unverändert"), std::string::npos) << said[0];
}

TEST_F(CheckRun, LeavesTheCurrentFileLoadedAfterWalkingTheList) {
    const std::string current = MakeFile("Jetzt.tmf", {Entry("01.01.1990", 0, 0, 0, false, "Paula")});
    const std::string other = MakeFile("Andere.tmf", {Entry("01.01.1990"), Entry("02.01.1990")});
    SetCheckList({current, other});
    CheckDates("Auto");
    EXPECT_EQ(EntryCount, 1);
    EXPECT_EQ(EntryTable(Vorname, 1).asText(), "Paula");
    EXPECT_EQ(splash.fileCaptions, (std::vector<std::string>{"Andere.tmf", "Jetzt.tmf"}));
}

// ----------------------------------------------------- many files, dialogs

TEST_F(CheckRun, FullCheckListIsCheckedFromSlot100DownToSlot0) {
    std::vector<std::string> paths;
    for (int s = 0; s < kCheckListSlots; ++s) {
        char name[16];
        std::snprintf(name, sizeof name, "f%03d.tmf", s);
        paths.push_back(MakeFile(name, {Entry("15.06.1990", -1)}, "01.06.2024"));
    }
    SetCheckList(paths);
    ASSERT_TRUE(CheckDates("Auto"));

    ASSERT_EQ(splash.fileCaptions.size(), 101u);
    EXPECT_EQ(splash.fileCaptions.front(), "f100.tmf");
    EXPECT_EQ(splash.fileCaptions[50], "f050.tmf");
    EXPECT_EQ(splash.fileCaptions.back(), "f000.tmf");
    ASSERT_EQ(results.showings.size(), 101u);
    EXPECT_EQ(results.showings.front().results(4, 0).asText(), paths[100]);
    EXPECT_EQ(results.showings.back().results(4, 0).asText(), paths[0]);
    for (const auto& p : paths) {
        const OnDisk disk = ReadOnDisk(p);
        ASSERT_EQ(disk.lastCheck(), "15.06.2024") << p;
        ASSERT_EQ(disk.entries[0][Erreicht].asInteger(), 1) << p;
    }
    // One due-today sound per file.
    EXPECT_EQ(SoundNames(), std::vector<std::string>(101, "tata"));
}

TEST_F(CheckRun, TwoFilesWithFindingsOpenTheDialogTwiceEachWithItsOwnRows) {
    const std::string first = MakeFile("Erste.tmf", {Entry("15.06.1990")});
    const std::string second =
        MakeFile("Zweite.tmf", {Entry("17.06.1990", 5), Entry("01.01.1990"), Entry("16.06.1990", 0, 4)});
    SetCheckList({first, second});
    CheckDates("Auto");

    ASSERT_EQ(results.showings.size(), 2u);
    const CheckResultsType& a = results.showings[0].results;
    EXPECT_EQ(a(4, 0).asText(), second);
    EXPECT_EQ(Kinds(a), (std::vector<int>{1, 2}));
    EXPECT_EQ(a(0, 2).asInteger(), 3);
    EXPECT_EQ(results.showings[0].entryCount, 3);
    const CheckResultsType& b = results.showings[1].results;
    EXPECT_EQ(b(4, 0).asText(), first);
    EXPECT_EQ(b.lastRow(), 1);
    EXPECT_EQ(Kinds(b), std::vector<int>{3});
    EXPECT_EQ(b(1, 0).asInteger(), 0);  // the first file's counts are gone
    EXPECT_EQ(CheckResults.lastRow(), 1);
}

TEST_F(CheckRun, ASecondRunCannotStartWhileTheDialogIsOpen) {
    SetCheckList({MakeFile("Eins.tmf", {Entry("15.06.1990")})});
    results.whileShown = [] {
        EXPECT_TRUE(CheckRunning());
        CheckDates("Manuel");
    };
    CheckDates("Auto");
    EXPECT_EQ(results.showings.size(), 1u);
    EXPECT_FALSE(CheckRunning());
}

// ---------------------------------------------------------- mode "Manuel"

TEST_F(CheckRun, ManualRunDeclinedForSlot2TreatsSlots1And0AsChanged) {
    const std::string s0 =
        MakeFile("Null.tmf",
                 {Entry("01.01.1990", 0, 0, 0, false, "Zora"), Entry("02.01.1990", 0, 0, 0, false, "Adam")},
                 "14.06.2024", 0, 1);
    const std::string s1 = MakeFile("Eins.tmf", {Entry("01.02.1990")});
    const std::string s2 = MakeFile("Zwei.tmf", {Entry("20.06.1990", 7)});
    AppendSpareRecord(s0);
    SetCheckList({s0, s1, s2});
    platform.queueAnswer(Answer::No);
    platform.queueAnswer(Answer::No);

    ASSERT_TRUE(CheckDates("Manuel"));

    EXPECT_EQ(platform.questions,
              (std::vector<std::string>{"->" + s2 + " Datei wurde geändert !\r\nABSPEICHERN ?",
                                        "->" + s1 + " Datei wurde geändert !\r\nABSPEICHERN ?"}));
    EXPECT_EQ(Modified, 1);
    // Slot 2 kept its entries unsaved; only its header was stamped.
    EXPECT_EQ(ReadOnDisk(s2).entries[0][Warnung1].asInteger(), 7);
    EXPECT_EQ(ReadOnDisk(s2).lastCheck(), "15.06.2024");
    // Slot 0 is sorted by its own choice and shown, not saved.
    EXPECT_EQ(EntryTable(Vorname, 1).asText(), "Adam");
    EXPECT_EQ(MainGrid.text(1, 1), "Adam");
    EXPECT_EQ(main.panel(0).back(), s0);
    EXPECT_FALSE(ReadOnDisk(s0).savedInFull());
    EXPECT_EQ(ReadOnDisk(s0).entries[0][Vorname].asText(), "Zora");
}

TEST_F(CheckRun, ManualRunAcceptedSavesThatFileAndAsksNoMore) {
    const std::string s0 = MakeFile("Null.tmf", {Entry("01.01.1990")});
    const std::string s1 = MakeFile("Eins.tmf", {Entry("01.02.1990")});
    const std::string s2 = MakeFile("Zwei.tmf", {Entry("20.06.1990", 7)});
    SetCheckList({s0, s1, s2});
    platform.queueAnswer(Answer::Yes);

    CheckDates("Manuel");

    EXPECT_EQ(platform.questions.size(), 1u);
    EXPECT_EQ(ReadOnDisk(s2).entries[0][Warnung1].asInteger(), -7);
    EXPECT_EQ(Modified, 0);
    EXPECT_EQ(main.gridChanged, 0);
}

TEST_F(CheckRun, ManualRunNeverSavesTheChangedCurrentFile) {
    const std::string s0 = MakeFile("Null.tmf", {Entry("20.06.1990", 7)});
    SetCheckList({s0});
    CheckDates("Manuel");
    EXPECT_TRUE(platform.questions.empty());
    EXPECT_EQ(ReadOnDisk(s0).entries[0][Warnung1].asInteger(), 7);
    EXPECT_EQ(EntryTable(Warnung1, 1).asInteger(), -7);
    EXPECT_EQ(Modified, 1);
    EXPECT_GT(main.gridChanged, 0);
}

// --------------------------------------------------- files that cannot load

TEST_F(CheckRun, MissingFileIsReportedAndSkippedAndTheOthersAreStillChecked) {
    const std::string s0 = MakeFile("Null.tmf", {Entry("15.06.1990")});
    const std::string gone = DataDir + "Weg.tmf";
    const std::string s2 = MakeFile("Zwei.tmf", {Entry("15.06.1991")});
    SetCheckList({s0, gone, s2});

    EXPECT_TRUE(CheckDates("Auto"));

    EXPECT_EQ(messages(), std::vector<std::string>{gone + " konnte nicht geladen werden !"});
    EXPECT_FALSE(FileExists(gone));
    ASSERT_EQ(results.showings.size(), 2u);
    EXPECT_EQ(results.showings[0].results(4, 0).asText(), s2);
    EXPECT_EQ(results.showings[1].results(4, 0).asText(), s0);
    EXPECT_EQ(ReadOnDisk(s0).entries[0][Erreicht].asInteger(), 1);
}

TEST_F(CheckRun, UnreadableFilesAreLeftExactlyAsTheyWere) {
    const std::string s0 = MakeFile("Null.tmf", {Entry("01.01.1990")});
    Row h = MakeHeader(0);
    h[HeaderCount] = Cell("zwei");
    const std::string foreign = DataDir + "Fremd.tmf";
    WriteAppointmentFileBytes(foreign, AppointmentFileBytes(h, {MakeRow(Entry("15.06.1990"))}));
    const std::string shortFile = DataDir + "Kurz.tmf";
    WriteAppointmentFileBytes(shortFile, std::string(100, '\x07'));
    SetCheckList({s0, foreign, shortFile});
    const std::string foreignBytes = dir.read("daten/Fremd.tmf");

    EXPECT_TRUE(CheckDates("Auto"));

    EXPECT_EQ(messages(), (std::vector<std::string>{shortFile + " konnte nicht geladen werden !",
                                                    "Keine Termifolio98 Datei !\r\n" + foreign}));
    EXPECT_EQ(dir.read("daten/Fremd.tmf"), foreignBytes);
    EXPECT_EQ(dir.read("daten/Kurz.tmf"), std::string(100, '\x07'));
    EXPECT_EQ(ReadOnDisk(s0).lastCheck(), "15.06.2024");
    EXPECT_TRUE(results.showings.empty());
}

TEST_F(CheckRun, ReturnsFalseWhenTheCurrentFileIsGoneAndWritesNothingThere) {
    const std::string gone = DataDir + "Weg.tmf";
    const std::string s1 = MakeFile("Eins.tmf", {Entry("01.01.1990")}, "01.06.2024");
    SetCheckList({gone, s1});
    EXPECT_FALSE(CheckDates("Auto"));
    EXPECT_FALSE(FileExists(gone));
    EXPECT_EQ(ReadOnDisk(s1).lastCheck(), "15.06.2024");
    EXPECT_EQ(messages(), std::vector<std::string>{gone + " konnte nicht geladen werden !"});
}

TEST_F(CheckRun, FailedCurrentFileInAManualRunIsNotShownInPlaceOfTheOther) {
    const std::string gone = DataDir + "Weg.tmf";
    const std::string s1 = MakeFile("Eins.tmf", {Entry("20.06.1990", 7)});
    SetCheckList({gone, s1});
    platform.queueAnswer(Answer::No);
    EXPECT_FALSE(CheckDates("Manuel"));
    // The other file's entries must not be sorted into the grid as if they
    // belonged to the current file.
    EXPECT_EQ(main.gridChanged, 0);
}

// ------------------------------------------------ deletion after the dialog

TEST_F(CheckRun, OkOnTheDialogDeletesTheFlaggedDueEntriesAndTheFileIsSaved) {
    platform.setToday(2024, 6, 15);
    std::vector<EntrySpec> entries;
    for (int i = 1; i <= 8; ++i)
        entries.push_back(Entry("01.01.1990", 0, 0, 0, false, "P" + std::to_string(i)));
    entries[2] = Entry("15.06.1990", 0, 0, 0, true, "P3");  // due today
    entries[6] = Entry("12.06.1990", 0, 0, 0, true, "P7");  // passed over
    entries[4] = Entry("17.06.1990", 5, 0, 0, true, "P5");  // only a warning
    const std::string path = MakeFile("Weg.tmf", entries, "10.06.2024");
    SetCheckList({path});
    results.pressOk = true;

    CheckDates("Auto");

    const OnDisk disk = ReadOnDisk(path);
    ASSERT_EQ(disk.count(), 6);
    std::vector<std::string> names;
    for (const auto& e : disk.entries) names.push_back(e[Vorname].asText());
    EXPECT_EQ(names, (std::vector<std::string>{"P1", "P2", "P4", "P5", "P6", "P8"}));
    EXPECT_EQ(EntryCount, 6);
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"P7 Berg , wird nun gelöscht !", "P3 Berg , wird nun gelöscht !"}));
}
