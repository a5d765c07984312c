#pragma once
// The whole program on the scripted platform: real windows offscreen, real
// files in a temporary data folder, dialogs answered like a user.
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

namespace tmf::test {

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

class ProgramTest : public ::testing::Test {
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

    ScriptedPlatform platform;
    TempDir dir;
    std::string data;
    std::unique_ptr<Program> program;
};

inline std::vector<EntrySpec> FamilyFile() {
    return {
        {"Anna", "Ober", "07.12.1980", "Geburtstag", 0, 0, 0, true},   // due today, to be deleted
        {"Max", "Zeh", "12.12.1975", "Geburtstag", 7, 2, 0, false},    // first warning in 5 days
        {"Eva", "Adam", "03.12.1990", "Namenstag", 0, 0, 0, false},    // passed over since 01.12.
        {"Otto", "Ruhig", "20.03.1960", "Geburtstag", 5, 1, 0, false}, // nothing
    };
}

}  // namespace tmf::test
