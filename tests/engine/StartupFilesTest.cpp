// Program start against data folders a user may really have: a folder name
// beyond Windows-1252, a FIFO where the default file belongs.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "ChildProcess.h"
#include "EngineFixture.h"
#include "ListFiles.h"
#include "Startup.h"

using namespace tmf;
using namespace tmf::test;

class StartupFiles : public EngineTest {
protected:
    // The program is started from the given folder (with "daten" and
    // "musik" beside it).
    void StartFrom(const std::string& folder) {
        std::filesystem::create_directories(folder + "daten");
        std::filesystem::create_directories(folder + "musik");
        ForgetTheRun();
        platform.programDir = folder;
        InitProgram();
    }
};

TEST_F(StartupFiles, ProgramFolderBeyondWindows1252KeepsTheSettingsFromStartToStart) {
    const std::string folder = dir.path() + "Łukasz/Termine ☃/";
    StartFrom(folder);
    ASSERT_EQ(CurrentFile(), folder + "daten/Termif98.tmf");
    SettingsLines(CheckAtStart) = "0";
    SettingsLines(CheckDaily) = "1";
    SettingsLines(CountdownSeconds) = "7";
    ASSERT_TRUE(SaveCheckList());  // as the exit writes it
    for (int start = 0; start < 2; ++start) {
        StartFrom(folder);
        EXPECT_EQ(CurrentFile(), folder + "daten/Termif98.tmf");
        EXPECT_EQ(SettingsLines(CheckAtStart), "0");
        EXPECT_EQ(SettingsLines(CheckDaily), "1");
        EXPECT_EQ(SettingsLines(CountdownSeconds), "7");
        EXPECT_TRUE(messages().empty()) << messages().front();
        ASSERT_TRUE(SaveCheckList());
    }
}

TEST_F(StartupFiles, FirstStartWithAFifoAsTheDefaultFileNeitherHangsNorReplacesIt) {
    const std::string fifo = dir.path() + "daten/Termif98.tmf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    // 0: the start came to an end and said why, naming the file.
    const int result = InChild([&] {
        InitProgram();
        for (const auto& m : platform.messageTexts())
            if (m.find(fifo) != std::string::npos) return 0;
        return 2;
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}
