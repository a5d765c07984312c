// Starting another program and waiting for it, as the conversion does with
// its converter tool in the program folder.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <filesystem>

#include "QtProcesses.h"
#include "TempDir.h"

using tmf::qt::QtProcesses;

namespace {

void WriteScript(const tmf::test::TempDir& dir, const std::string& name, const std::string& body,
                 bool executable = true) {
    dir.write(name, "#!/bin/sh\n" + body);
    namespace fs = std::filesystem;
    fs::permissions(dir.file(name),
                    executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace

TEST(PlatformProcesses, AProgramThatDoesNotExistFailsAtOnce) {
    tmf::test::TempDir dir;
    QtProcesses processes;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(processes.RunAndWait("Konverto.exe", {"a#b"}, dir.path()));
    EXPECT_FALSE(processes.RunAndWait(dir.file("nirgends/Konverto.exe"), {}, dir.path()));
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST(PlatformProcesses, AFileThatIsNotExecutableFailsToStart) {
    tmf::test::TempDir dir;
    WriteScript(dir, "Konverto.exe", "exit 0\n", false);
    QtProcesses processes;
    EXPECT_FALSE(processes.RunAndWait("Konverto.exe", {}, dir.path()));
}

TEST(PlatformProcesses, AMissingWorkingFolderFailsToStart) {
    tmf::test::TempDir dir;
    QtProcesses processes;
    EXPECT_FALSE(processes.RunAndWait("/bin/sh", {"-c", "exit 0"}, dir.file("fehlt/")));
}

TEST(PlatformProcesses, WaitsUntilTheProgramHasWrittenItsFileInTheWorkingFolder) {
    tmf::test::TempDir dir;
    QtProcesses processes;
    ASSERT_TRUE(
        processes.RunAndWait("/bin/sh", {"-c", "sleep 0.3; printf fertig > ergebnis.txt"}, dir.path()));
    EXPECT_EQ(dir.read("ergebnis.txt"), "fertig");
}

TEST(PlatformProcesses, FindsTheToolInTheWorkingFolderAndPassesItsArgumentUntouched) {
    tmf::test::TempDir dir;
    WriteScript(dir, "Konverto.exe", "printf '%s|%s' \"$#\" \"$1\" > aufruf.txt\n");
    QtProcesses processes;
    const std::string argument = "/alt/Familie 1.tmf#/neu/$HOME `x`.tmf";
    ASSERT_TRUE(processes.RunAndWait("Konverto.exe", {argument}, dir.path()));
    EXPECT_EQ(dir.read("aufruf.txt"), "1|" + argument);
}

TEST(PlatformProcesses, AProgramThatReadsItsInputSeesAnEndInsteadOfWaitingForever) {
    tmf::test::TempDir dir;
    QtProcesses processes;
    // Bounded, so that a regression shows as a failure rather than a hang.
    ASSERT_TRUE(processes.RunAndWait("/bin/sh", {"-c", "timeout 5 cat > eingabe.txt; printf $? > status.txt"},
                                     dir.path()));
    EXPECT_EQ(dir.read("status.txt"), "0") << "124: cat was still waiting for input";
    EXPECT_EQ(dir.read("eingabe.txt"), "");
}

TEST(PlatformProcesses, TimersKeepRunningWhileWaiting) {
    tmf::test::TempDir dir;
    bool fired = false;
    QTimer::singleShot(20, [&] { fired = true; });
    QtProcesses processes;
    ASSERT_TRUE(processes.RunAndWait("/bin/sh", {"-c", "sleep 0.4"}, dir.path()));
    EXPECT_TRUE(fired);
}

TEST(PlatformProcesses, ProgramDirIsTheFolderOfTheRunningProgramWithASlash) {
    QtProcesses processes;
    EXPECT_EQ(processes.ProgramDir(), QCoreApplication::applicationDirPath().toStdString() + "/");
}
