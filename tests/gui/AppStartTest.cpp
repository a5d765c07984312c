// The program's start before any window: the command line, and one copy per
// data folder (a second start wakes the first and touches nothing).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <thread>

#include "CommandLine.h"
#include "DataLock.h"
#include "ListFiles.h"
#include "SingleInstance.h"
#include "State.h"
#include "TempDir.h"

using namespace tmf;
using tmf::app::CommandLine;
using tmf::app::ParseCommandLine;
using tmf::app::SingleInstance;

namespace {

CommandLine Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "/usr/bin/termif98");
    return ParseCommandLine(static_cast<int>(args.size()), args.data());
}

QString Folder(const test::TempDir& dir) { return QString::fromStdString(dir.path()); }

// Another process holding the folder's lock as termif98-check does: it has
// no window to wake. It gives the lock back when asked, or dies with it.
class OtherHolder {
public:
    explicit OtherHolder(const std::string& folder) {
        if (::pipe(ready_) != 0 || ::pipe(end_) != 0) return;
        pid_ = ::fork();
        if (pid_ != 0) return;
        ::alarm(30);
        DataLock lock;
        const char taken = lock.take(folder, kCheckProgramName) == DataLock::Result::Taken ? 't' : 'n';
        char c = 0;
        if (::write(ready_[1], &taken, 1) != 1 || ::read(end_[0], &c, 1) != 1 || c == 'k') ::_exit(0);
        lock.release();
        ::_exit(0);
    }
    ~OtherHolder() { End(false); }
    bool Holds() {
        char c = 0;
        return pid_ > 0 && ::read(ready_[0], &c, 1) == 1 && c == 't';
    }
    // crash: ends without giving the lock back, as a killed process would.
    void End(bool crash) {
        if (pid_ <= 0) return;
        const char c = crash ? 'k' : 'e';
        [[maybe_unused]] const ssize_t n = ::write(end_[1], &c, 1);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
        for (const int fd : {ready_[0], ready_[1], end_[0], end_[1]}) ::close(fd);
    }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int ready_[2] = {-1, -1}, end_[2] = {-1, -1};
};

}  // namespace

TEST(CommandLineTest, OptionsAnswerInGermanAndUnknownOnesFail) {
    const struct {
        std::vector<const char*> args;
        CommandLine::Action action;
        int exitCode;
        const char* start;
    } cases[] = {
        {{}, CommandLine::Action::Run, 0, ""},
        {{"--help"}, CommandLine::Action::Help, 0, "Aufruf: termif98 [OPTION]\n"},
        {{"-h"}, CommandLine::Action::Help, 0, "Aufruf: termif98 [OPTION]\n"},
        {{"--version"}, CommandLine::Action::Version, 0, "Termifolio98 2.27\n"},
        {{"-v", "--gibtsnicht"}, CommandLine::Action::Version, 0, "Termifolio98 2.27\n"},
        {{"--gibtsnicht"}, CommandLine::Action::Error, 2, "termif98: unbekannte Option „--gibtsnicht“\n"},
        {{"datei.tmf"}, CommandLine::Action::Error, 2, "termif98: unerwarteter Parameter „datei.tmf“\n"},
        {{"-"}, CommandLine::Action::Error, 2, "termif98: unbekannte Option „-“\n"},
        // Qt's own options with their values are no options of ours.
        {{"-platform", "offscreen", "--style=Fusion", "-reverse"}, CommandLine::Action::Run, 0, ""},
        {{"-platform", "offscreen", "--help"}, CommandLine::Action::Help, 0, "Aufruf:"},
        {{"-reverse=1"}, CommandLine::Action::Error, 2, "termif98: unbekannte Option"},
    };
    for (const auto& c : cases) {
        const CommandLine got = Parse(c.args);
        SCOPED_TRACE(c.args.empty() ? "(nichts)" : c.args.front());
        EXPECT_EQ(got.action, c.action);
        EXPECT_EQ(got.exitCode, c.exitCode);
        EXPECT_EQ(got.output.substr(0, std::string(c.start).size()), c.start);
    }
    EXPECT_NE(Parse({"--help"}).output.find("--version"), std::string::npos);
    EXPECT_NE(Parse({"--gibtsnicht"}).output.find("termif98 --help"), std::string::npos);
}

TEST(SingleInstanceTest, ASecondCopyOnTheFolderIsRefusedAndWakesTheFirst) {
    test::TempDir dir;
    SingleInstance first(Folder(dir));
    ASSERT_EQ(first.Acquire(), SingleInstance::Result::Acquired);
    EXPECT_TRUE(QFile::exists(Folder(dir) + ".termif98.lock"));
    QSignalSpy woken(&first, &SingleInstance::WakeRequested);

    SingleInstance second(Folder(dir));
    EXPECT_EQ(second.Acquire(), SingleInstance::Result::HeldByOther);
    // Finding out that a copy runs does not pull it to the front: an
    // unattended start must not.
    QTest::qWait(300);
    EXPECT_EQ(woken.count(), 0);
    EXPECT_TRUE(second.WakeRunningCopy());
    EXPECT_TRUE(woken.wait(5000));
    EXPECT_EQ(woken.count(), 1);

    // Another folder is another copy's business.
    test::TempDir other;
    SingleInstance elsewhere(Folder(other));
    EXPECT_EQ(elsewhere.Acquire(), SingleInstance::Result::Acquired);
    EXPECT_NE(elsewhere.ServerName(), first.ServerName());

    // The wake-up socket is in a folder that only this user can enter, so
    // that nobody else can take its name first.
    const QFileInfo socketFolder(QFileInfo(first.ServerName()).absolutePath());
    EXPECT_TRUE(socketFolder.isDir()) << socketFolder.filePath().toStdString();
    EXPECT_EQ(socketFolder.ownerId(), ::getuid());
    EXPECT_EQ(socketFolder.permissions() & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                            QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther),
              QFileDevice::Permissions());
}

TEST(SingleInstanceTest, TheLockIsGoneAfterTheEndAndALiveCopysLockNeverGoesStale) {
    test::TempDir dir;
    {
        SingleInstance first(Folder(dir));
        ASSERT_EQ(first.Acquire(), SingleInstance::Result::Acquired);
        // A lock file last touched long ago still belongs to a living copy.
        const std::string lock = dir.path() + ".termif98.lock";
        std::filesystem::last_write_time(lock, std::filesystem::last_write_time(lock) - std::chrono::hours(48));
        SingleInstance second(Folder(dir));
        EXPECT_EQ(second.Acquire(), SingleInstance::Result::HeldByOther);
    }
    EXPECT_FALSE(QFile::exists(Folder(dir) + ".termif98.lock"));
    SingleInstance next(Folder(dir));
    EXPECT_EQ(next.Acquire(), SingleInstance::Result::Acquired);
}

TEST(SingleInstanceTest, ACrashedCopysLockIsTakenOver) {
    test::TempDir dir;
    OtherHolder crashed(dir.path());
    ASSERT_TRUE(crashed.Holds());
    crashed.End(true);
    ASSERT_TRUE(QFile::exists(Folder(dir) + ".termif98.lock"));
    SingleInstance next(Folder(dir));
    EXPECT_EQ(next.Acquire(), SingleInstance::Result::Acquired);
}

TEST(SingleInstanceTest, AnotherProcesssLockStaysRefusedHoweverOldAndIsWaitedForAWhile) {
    test::TempDir dir;
    {
        OtherHolder check(dir.path());
        ASSERT_TRUE(check.Holds());
        // Taken long ago, as by a first copy started hours before.
        const std::string lock = dir.path() + ".termif98.lock";
        std::filesystem::last_write_time(lock, std::filesystem::last_write_time(lock) - std::chrono::hours(1));
        SingleInstance second(Folder(dir));
        QElapsedTimer waited;
        waited.start();
        EXPECT_EQ(second.Acquire(300), SingleInstance::Result::HeldWithoutAnswer);
        EXPECT_GE(waited.elapsed(), 300);
        EXPECT_EQ(second.HolderText(), QStringLiteral("termif98-check (Prozeß %1)").arg(check.pid()));
    }
    // A check that is done within the wait lets the start go on.
    OtherHolder check(dir.path());
    ASSERT_TRUE(check.Holds());
    std::thread done([&check] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        check.End(false);
    });
    SingleInstance start(Folder(dir));
    EXPECT_EQ(start.Acquire(5000), SingleInstance::Result::Acquired);
    done.join();
    // The windowed program and termif98-check keep each other out.
    DataLock cli;
    EXPECT_EQ(cli.take(dir.path(), kCheckProgramName), DataLock::Result::Held);
}

TEST(SingleInstanceTest, AFolderThatCannotHoldTheLockIsNoOtherCopy) {
    SingleInstance nowhere("/nonexistent-termif98-folder/");
    EXPECT_EQ(nowhere.Acquire(), SingleInstance::Result::NoLock);
}

TEST(SingleInstanceTest, TheBackgroundSettingIsReadFromTheListFile) {
    test::TempDir dir;
    EXPECT_FALSE(app::BackgroundModeSet(Folder(dir)));  // no list yet
    const std::string keepDataDir = DataDir;
    ResetProgramState();
    DataDir = dir.path();
    SettingsLines(CheckInBackground) = "1";
    ASSERT_TRUE(SaveCheckList());
    EXPECT_TRUE(app::BackgroundModeSet(Folder(dir)));
    SettingsLines(CheckInBackground) = "0";
    ASSERT_TRUE(SaveCheckList());
    EXPECT_FALSE(app::BackgroundModeSet(Folder(dir)));
    ResetProgramState();
    DataDir = keepDataDir;
}

TEST(SingleInstanceTest, WakingBringsTheMinimizedMainWindowBack) {
    QWidget main;
    main.setWindowTitle("Termifolio98");
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    main.showMinimized();
    QTRY_VERIFY(main.isMinimized());
    app::RaiseProgramWindow(&main);
    QTRY_VERIFY(!main.isMinimized());
    EXPECT_TRUE(main.isVisible());
    app::RaiseProgramWindow(nullptr);  // nothing shown yet: nothing happens
}
