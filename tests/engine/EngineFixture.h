#pragma once
// Every engine test runs on the scripted platform (today 15.06.2024) with
// the recording views installed and the program's own progress display,
// in a fresh program folder that has "daten/" and "musik/" beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "AppointmentFile.h"
#include "CheckResults.h"
#include "Dates.h"
#include "FakeViews.h"
#include "FileIo.h"
#include "Funky.h"
#include "Grid.h"
#include "Progress.h"
#include "SampleFiles.h"
#include "ScriptedPlatform.h"
#include "Startup.h"
#include "State.h"
#include "TempDir.h"
#include "Views.h"

namespace tmf::test {

// An appointment file as it lies on disk, read without the program's loader.
struct OnDisk {
    Row header;
    std::vector<Row> entries;  // every whole record after the header
    std::size_t size = 0;

    std::string lastCheck() const { return header[HeaderLastCheck].asText(); }
    int count() const { return static_cast<int>(header[HeaderCount].asInteger()); }
    // A full save leaves exactly the header and the counted records.
    bool savedInFull() const { return size == static_cast<std::size_t>(count() + 1) * kRecordSize; }
};

inline OnDisk ReadOnDisk(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    OnDisk d;
    d.size = bytes.size();
    if (bytes.size() < kRecordSize) return d;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    DecodeRecord(p, d.header);
    for (std::size_t r = 1; (r + 1) * kRecordSize <= bytes.size(); ++r) {
        Row row;
        DecodeRecord(p + r * kRecordSize, row);
        d.entries.push_back(row);
    }
    return d;
}

inline std::vector<int> Kinds(const CheckResultsType& results) {
    std::vector<int> kinds;
    for (int r = 1; r <= results(0, 0).asInteger(); ++r)
        kinds.push_back(static_cast<int>(results(1, r).asInteger()));
    return kinds;
}

inline std::vector<std::string> Texts(const CheckResultsType& results) {
    std::vector<std::string> texts;
    for (int r = 1; r <= results(0, 0).asInteger(); ++r) texts.push_back(results(2, r).asText());
    return texts;
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform.install();
        ResetProgramState();
        platform.programDir = dir.path();
        std::filesystem::create_directory(dir.path() + "daten");
        std::filesystem::create_directory(dir.path() + "musik");
        SetupFolders();
        InstallViews({&main, &splash, &results});
        InstallEngineProgress();
        SetProgramEnding(false);
        MainGrid = StringGrid();
        CheckResults = CheckResultsType();
        SetWriteFailureAfterBytesForTesting(std::nullopt);
    }
    void TearDown() override {
        SetWriteFailureAfterBytesForTesting(std::nullopt);
        InstallViews({});
        ResetProgramState();
        SetProgramEnding(false);
        MainGrid = StringGrid();
        CheckResults = CheckResultsType();
    }

    // The program ends and is started again: nothing survives but the files.
    void ForgetTheRun() {
        ResetProgramState();
        SetProgramEnding(false);
        MainGrid = StringGrid();
        main = FakeMainView();
        splash = FakeSplashView();
        results = FakeResultsView();
        platform.clearRecords();
    }
    // Writes an appointment file into the data folder and returns its path.
    std::string MakeFile(const std::string& name, const std::vector<EntrySpec>& entries,
                         const std::string& lastCheck = "14.06.2024", int outputChoice = 0,
                         int sortChoice = 0) {
        const std::string path = DataDir + name;
        WriteAppointmentFileBytes(path, AppointmentFileBytes(entries, lastCheck, outputChoice, sortChoice));
        return path;
    }
    // Bytes after the last counted record: a full save drops them, a
    // header-only save leaves them.
    static void AppendSpareRecord(const std::string& path) {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        out << std::string(kRecordSize, '\x55');
    }
    static void SetCheckList(const std::vector<std::string>& paths) {
        for (int s = 0; s < kCheckListSlots; ++s) CheckList(s).clear();
        for (std::size_t s = 0; s < paths.size(); ++s) CheckList(static_cast<int>(s)) = paths[s];
    }
    // Sound names played, without folder and extension.
    std::vector<std::string> SoundNames() const {
        std::vector<std::string> names;
        for (const auto& path : platform.sounds) {
            std::string n = path.substr(0, path.size() - 4);
            names.push_back(n.rfind(SoundDir, 0) == 0 ? n.substr(SoundDir.size()) : "?" + path);
        }
        return names;
    }
    std::vector<std::string> messages() const { return platform.messageTexts(); }
    std::string today() const { return FormatDate(platform.today); }

    ScriptedPlatform platform;
    TempDir dir;
    FakeMainView main;
    FakeSplashView splash;
    FakeResultsView results;
};

}  // namespace tmf::test
