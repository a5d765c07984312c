// The whole program on the scripted platform: real windows offscreen, real
// files in a temporary data folder, the results dialog answered like a user.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <filesystem>

#include "AppointmentFile.h"
#include "CheckResults.h"
#include "Grid.h"
#include "ListFiles.h"
#include "Program.h"
#include "Progress.h"
#include "SampleFiles.h"
#include "ScriptedPlatform.h"
#include "Startup.h"
#include "State.h"
#include "TempDir.h"

using namespace tmf;

namespace {

// Presses "O K" in every results dialog that comes up, and remembers what it
// showed.
class ResultsAnswerer : public QObject {
public:
    ResultsAnswerer() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }
    std::vector<QString> captions;
    std::vector<QString> summaries;
    bool useCloseBox = false;

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != "PrufungF" || !modal->isVisible()) return;
        captions.push_back(modal->windowTitle());
        summaries.push_back(modal->findChild<QLabel*>("Panel1")->text());
        if (useCloseBox) modal->close();
        else modal->findChild<QPushButton*>("BitBtn1")->click();
    }
    QTimer timer_;
};

class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override {
        platform.install();
        InstallEngineProgress();
        platform.setToday(2026, 12, 7);
        platform.setTime(9, 30);
        platform.programDir = dir.path();
        std::filesystem::create_directory(dir.path() + "daten");
        ResetProgramState();
        SetProgramEnding(false);
        MainGrid = StringGrid();
        CheckResults = CheckResultsType();
        data = dir.path() + "daten/";
    }
    void TearDown() override {
        program.reset();
        InstallViews({});
        ResetProgramState();
        SetProgramEnding(false);
    }

    // "Liste.dat" with the given check list and settings.
    void WriteCheckList(const std::vector<std::string>& files, bool atStart = true, bool background = false,
                        const std::string& countdown = "3") {
        ResetProgramState();
        DataDir = data;
        SettingsLines(MarkerLine) = "Wuk-Soft98";
        SettingsLines(CheckDaily) = "0";
        SettingsLines(CountdownSeconds) = countdown;
        SettingsLines(CheckAtStart) = atStart ? "1" : "0";
        SettingsLines(CheckInBackground) = background ? "1" : "0";
        SettingsLines(WindowOffsetX) = "0";
        SettingsLines(WindowOffsetY) = "0";
        for (std::size_t i = 0; i < files.size(); ++i) CheckList(static_cast<int>(i)) = files[i];
        ASSERT_TRUE(SaveCheckList());
        ResetProgramState();
    }

    // Loads a file from disk into a separate look at it (the state is reused).
    struct FileView {
        std::int32_t count;
        std::vector<Row> rows;
    };
    FileView ReadBack(const std::string& path) {
        auto keepCount = EntryCount;
        auto keepTable = EntryTable;
        auto keepModified = Modified;
        EXPECT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
        FileView v{EntryCount, {}};
        for (int r = 0; r <= EntryCount; ++r) v.rows.push_back(EntryTable.row(r));
        EntryCount = keepCount;
        EntryTable = keepTable;
        Modified = keepModified;
        return v;
    }

    bool Start() {
        program = std::make_unique<Program>();
        return program->Create();
    }

    test::ScriptedPlatform platform;
    test::TempDir dir;
    std::string data;
    std::unique_ptr<Program> program;
};

std::vector<test::EntrySpec> FamilyFile() {
    return {
        {"Anna", "Ober", "07.12.1980", "Geburtstag", 0, 0, 0, true},   // due today, to be deleted
        {"Max", "Zeh", "12.12.1975", "Geburtstag", 7, 2, 0, false},    // first warning in 5 days
        {"Eva", "Adam", "03.12.1990", "Namenstag", 0, 0, 0, false},    // passed over since 01.12.
        {"Otto", "Ruhig", "20.03.1960", "Geburtstag", 5, 1, 0, false}, // nothing
    };
}

}  // namespace

TEST_F(ProgramRun, StartChecksEveryListedFileAndTheFilesOnDiskShowIt) {
    const std::string family = data + "Familie.tmf";
    const std::string work = data + "Arbeit.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "01.12.2026", 0, 2));
    test::WriteAppointmentFileBytes(work, test::AppointmentFileBytes({{"Olaf", "Chef", "09.12.1970", "Geburtstag", 3}},
                                                                     "06.12.2026"));
    WriteCheckList({family, work});
    ResultsAnswerer answerer;

    ASSERT_TRUE(Start());

    // One dialog per file with findings, the current file last.
    ASSERT_EQ(answerer.captions.size(), 2u);
    EXPECT_EQ(answerer.captions[0], QString::fromStdString(work + " - Prüfung am 07.12.2026 um 09:30"));
    EXPECT_EQ(answerer.captions[1], QString::fromStdString(family + " - Prüfung am 07.12.2026 um 09:30"));
    EXPECT_EQ(answerer.summaries[1], "1 Termin(e) , 1 Warnung(en)");
    EXPECT_NE(std::find(platform.messageTexts().begin(), platform.messageTexts().end(), "Anna Ober , wird nun gelöscht !"),
              platform.messageTexts().end());

    // On disk: both headers stamped, the warning given, the due entry gone.
    const auto w = ReadBack(work);
    EXPECT_EQ(w.rows[0][HeaderLastCheck].asText(), "07.12.2026");
    EXPECT_EQ(w.rows[1][Warnung1].asInteger(), -3);
    const auto f = ReadBack(family);
    EXPECT_EQ(f.rows[0][HeaderLastCheck].asText(), "07.12.2026");
    ASSERT_EQ(f.count, 3);
    for (int r = 1; r <= 3; ++r) EXPECT_NE(f.rows[static_cast<std::size_t>(r)][Vorname].asText(), "Anna");
    for (int r = 1; r <= 3; ++r) {
        const Row& row = f.rows[static_cast<std::size_t>(r)];
        if (row[Vorname].asText() == "Max") EXPECT_EQ(row[Warnung1].asInteger(), -7);
        // Reported as passed over and re-armed at once.
        if (row[Vorname].asText() == "Eva") EXPECT_EQ(row[Erreicht].asInteger(), 0);
    }

    // The main window shows the current file, sorted by its last names.
    TGebF& main = *program->GebF;
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(main.windowTitle(), "Termifolio98 2.27 - 32bit");
    EXPECT_FALSE(main.findChild<QGroupBox*>("GroupBox1")->isVisible());
    EXPECT_EQ(main.findChild<QComboBox*>("ComboBox2")->currentText(), "Nachname dann Vorname");
    EXPECT_EQ(main.findChild<QComboBox*>("ComboBox1")->currentText(), "Termin");
    auto* sg = main.findChild<QTableView*>("SG");
    ASSERT_EQ(sg->model()->rowCount(), 3);
    EXPECT_EQ(sg->model()->index(0, 2).data().toString(), "Adam");
    EXPECT_EQ(sg->model()->index(2, 2).data().toString(), "Zeh");
    EXPECT_EQ(main.findChild<QLabel*>("StatusPanel2")->text(), "Einträge: 3");
    EXPECT_EQ(main.findChild<QLabel*>("StatusPanel0")->text(), QString::fromStdString(family));
    EXPECT_EQ(Modified, 0);

    // Leaving without changes asks nothing and keeps the centred position.
    main.EndeClick();
    EXPECT_TRUE(ProgramEnding());
    EXPECT_TRUE(platform.questions.empty());
    ResetProgramState();
    DataDir = data;
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(CheckList(0), family);
    EXPECT_EQ(CheckList(1), work);
    EXPECT_EQ(SettingsLines(WindowOffsetX), "0");
    EXPECT_EQ(SettingsLines(WindowOffsetY), "0");
}

TEST_F(ProgramRun, ClosingTheResultsWithTheCloseBoxDeletesNothing) {
    const std::string family = data + "Familie.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "01.12.2026"));
    WriteCheckList({family});
    ResultsAnswerer answerer;
    answerer.useCloseBox = true;

    ASSERT_TRUE(Start());
    ASSERT_EQ(answerer.captions.size(), 1u);
    EXPECT_EQ(ReadBack(family).count, 4);
}

TEST_F(ProgramRun, ChangingTheOutputChoiceRefillsTheValueColumnAndItsTitle) {
    const std::string family = data + "Familie.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "07.12.2026"));
    WriteCheckList({family}, /*atStart=*/false);
    ASSERT_TRUE(Start());
    TGebF& main = *program->GebF;
    auto* sg = main.findChild<QTableView*>("SG");
    main.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(3);
    EXPECT_EQ(sg->model()->headerData(4, Qt::Horizontal).toString(), "Resttage");
    EXPECT_EQ(sg->model()->index(0, 4).data().toString(), "0");  // Anna is due today
    EXPECT_EQ(EntryTable(HeaderOutputChoice, 0).asText(), "3");
    EXPECT_EQ(Modified, 0);
    main.findChild<QComboBox*>("ComboBox2")->setCurrentIndex(1);
    EXPECT_EQ(sg->model()->index(0, 1).data().toString(), "Anna");
    EXPECT_EQ(sg->model()->index(3, 1).data().toString(), "Otto");
}

TEST_F(ProgramRun, ExitWithChangesAnsweredNoKeepsTheEntriesButStampsTheHeader) {
    const std::string family = data + "Familie.tmf";
    const std::string before = test::AppointmentFileBytes(FamilyFile(), "07.12.2026");
    test::WriteAppointmentFileBytes(family, before);
    WriteCheckList({family}, /*atStart=*/false);
    ASSERT_TRUE(Start());
    TGebF& main = *program->GebF;
    main.findChild<QComboBox*>("ComboBox1")->setCurrentIndex(2);
    DeleteEntry(1);
    Modified = 1;
    platform.queueAnswer(Answer::No);
    main.EndeClick();
    ASSERT_EQ(platform.questions.size(), 1u);
    EXPECT_EQ(platform.questions[0], family + ", wurde geändert.\r\nDatei abspeichern ?");
    EXPECT_TRUE(std::filesystem::exists(data + "Termin.dat"));
    const auto f = ReadBack(family);
    EXPECT_EQ(f.count, 4);  // entries as they were
    EXPECT_EQ(f.rows[0][HeaderOutputChoice].asText(), "2");
    EXPECT_EQ(f.rows[0][HeaderLastCheck].asText(), "07.12.2026");
}

TEST_F(ProgramRun, CancellingTheSaveQuestionAtTheCloseBoxKeepsTheWindowOpen) {
    const std::string family = data + "Familie.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "07.12.2026"));
    WriteCheckList({family}, /*atStart=*/false);
    ASSERT_TRUE(Start());
    TGebF& main = *program->GebF;
    Modified = 1;
    platform.queueAnswer(Answer::Cancel);
    main.close();
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(ProgramEnding());
}

TEST_F(ProgramRun, ExitWithTheWindowOffTheScreenBeepsAndStoresZeroOffsets) {
    const std::string family = data + "Familie.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "07.12.2026"));
    WriteCheckList({family}, /*atStart=*/false);
    ASSERT_TRUE(Start());
    TGebF& main = *program->GebF;
    main.move(-500, 100);
    main.EndeClick();
    EXPECT_EQ(platform.beeps, 1);
    ResetProgramState();
    DataDir = data;
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(SettingsLines(WindowOffsetX), "0");
}

TEST_F(ProgramRun, ExitStoresTheWindowOffsetsFromTheCentre) {
    const std::string family = data + "Familie.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "07.12.2026"));
    WriteCheckList({family}, /*atStart=*/false);
    ASSERT_TRUE(Start());
    TGebF& main = *program->GebF;
    const QPoint p = main.pos();
    main.move(p.x() + 40, p.y() - 30);
    main.EndeClick();
    EXPECT_EQ(platform.beeps, 0);
    ResetProgramState();
    DataDir = data;
    ASSERT_TRUE(LoadCheckList());
    EXPECT_EQ(SettingsLines(WindowOffsetX), "40");
    EXPECT_EQ(SettingsLines(WindowOffsetY), "-30");
}

TEST_F(ProgramRun, BackgroundModeChecksCountsDownAndEndsByItself) {
    const std::string family = data + "Familie.tmf";
    test::WriteAppointmentFileBytes(family, test::AppointmentFileBytes(FamilyFile(), "01.12.2026"));
    WriteCheckList({family}, /*atStart=*/true, /*background=*/true, /*countdown=*/"1");
    ResultsAnswerer answerer;
    EXPECT_FALSE(Start());
    EXPECT_TRUE(ProgramEnding());
    EXPECT_EQ(answerer.captions.size(), 1u);
    EXPECT_FALSE(program->GebF->isVisible());
    // The exit procedure ran: its sound, and the stamp in the file.
    EXPECT_EQ(platform.sounds.back(), dir.path() + "close.wav");
    EXPECT_EQ(ReadBack(family).rows[0][HeaderLastCheck].asText(), "07.12.2026");
}

TEST_F(ProgramRun, FirstStartOnAnEmptyFolderCreatesTheDefaultFileAndShowsAnEmptyList) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(std::filesystem::exists(data + "Termif98.tmf"));
    EXPECT_EQ(std::filesystem::file_size(data + "Termif98.tmf"), kRecordSize);
    EXPECT_EQ(CurrentFile(), data + "Termif98.tmf");
    TGebF& main = *program->GebF;
    EXPECT_EQ(main.findChild<QTableView*>("SG")->model()->rowCount(), 0);
    EXPECT_EQ(main.findChild<QComboBox*>("ComboBox1")->currentIndex(), 0);
    EXPECT_EQ(main.findChild<QComboBox*>("ComboBox2")->currentIndex(), 0);
    EXPECT_EQ(main.findChild<QLabel*>("StatusPanel2")->text(), "Einträge: 0");
    const auto& msgs = platform.messageTexts();
    EXPECT_NE(std::find(msgs.begin(), msgs.end(),
                        "Datei >Termin.dat< nicht gefunden. Leere Datei wird angelegt.\r"
                        "Geben Sie Terminbezeichnungen über ANFÜGEN ein."),
              msgs.end());
}

TEST_F(ProgramRun, ACurrentFileThatCannotBeLoadedEndsTheStartButNotTheNext) {
    const std::string gone = data + "Weg.tmf";
    const std::string other = data + "Andere.tmf";
    test::WriteAppointmentFileBytes(other, test::AppointmentFileBytes(FamilyFile(), "07.12.2026"));
    // Broken, not missing: a missing file would be dropped from the list.
    test::WriteAppointmentFileBytes(gone, "kaputt");
    WriteCheckList({gone, other});
    EXPECT_FALSE(Start());
    const auto& msgs = platform.messageTexts();
    EXPECT_NE(std::find(msgs.begin(), msgs.end(), gone + " konnte nicht geladen werden !"), msgs.end());
    EXPECT_EQ(std::filesystem::file_size(gone), 6u);  // never written into

    program.reset();
    ResetProgramState();
    SetProgramEnding(false);
    ResultsAnswerer answerer;
    ASSERT_TRUE(Start());
    EXPECT_EQ(CurrentFile(), data + "TestDatei.tmf");
    EXPECT_EQ(CheckList(1), other);  // still checked
}
