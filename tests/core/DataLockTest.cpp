// The data folder's lock, shared by the windowed program and termif98-check:
// one holder at a time whichever steps two processes meet between, given
// back by the kernel when its holder ends however it ends, never handed to
// a program the holder starts, and never taken through a planted name.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "DataLock.h"
#include "TempDir.h"

using namespace tmf;
namespace fs = std::filesystem;

namespace {

using Result = DataLock::Result;

// A process that takes (and, asked to, gives back) the lock and stops at one
// step until it is let go; its exit code is what take() answered.
class PausedTaker {
public:
    PausedTaker(const std::string& folder, DataLockStep pauseAt, bool releaseAfter) {
        if (::pipe(arrived_) != 0 || ::pipe(go_) != 0) return;
        pid_ = ::fork();
        if (pid_ != 0) return;
        ::alarm(20);
        bool paused = false;
        SetDataLockStepHookForTesting([&](DataLockStep step) {
            if (step != pauseAt || paused) return;
            paused = true;
            char c = 'a';
            if (::write(arrived_[1], &c, 1) != 1 || ::read(go_[0], &c, 1) != 1) ::_exit(99);
        });
        DataLock lock;
        const Result result = lock.take(folder, kCheckProgramName);
        if (releaseAfter) lock.release();
        ::_exit(static_cast<int>(result));
    }
    // Waits until the process stands at its step.
    bool WaitArrived() {
        char c = 0;
        return pid_ > 0 && ::read(arrived_[0], &c, 1) == 1;
    }
    ~PausedTaker() {
        for (const int fd : {arrived_[0], arrived_[1], go_[0], go_[1]})
            if (fd >= 0) ::close(fd);
    }
    // Lets it go on and returns its exit code.
    int Finish() {
        const char c = 'g';
        if (::write(go_[1], &c, 1) != 1) return -1;
        int status = 0;
        ::waitpid(pid_, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int arrived_[2] = {-1, -1}, go_[2] = {-1, -1};
};

Result TakeIn(DataLock& lock, const std::string& folder, IoError* error = nullptr) {
    return lock.take(folder, kWindowedProgramName, error);
}

}  // namespace

TEST(DataLockTest, TwoProcessesMeetingBetweenAnyStepsNeverBothHoldIt) {
    const struct {
        const char* name;
        DataLockStep pauseAt;
        bool pausedReleases;
        // What this process does while the other stands at its step.
        void (*meanwhile)(const std::string& folder, DataLock& mine);
        Result paused;  // what take() answers the paused process
    } cases[] = {
        // It opened the file; a holder came and went and left the file
        // removed; a third took a new file. The old file it then locks is
        // no longer the folder's lock.
        {"opened, while another takes, gives back, and takes anew", DataLockStep::Opened, false,
         [](const std::string& folder, DataLock& mine) {
             ASSERT_EQ(TakeIn(mine, folder), Result::Taken);
             mine.release();
             ASSERT_EQ(TakeIn(mine, folder), Result::Taken);
         },
         Result::Held},
        {"opened, while another takes", DataLockStep::Opened, false,
         [](const std::string& folder, DataLock& mine) { ASSERT_EQ(TakeIn(mine, folder), Result::Taken); },
         Result::Held},
        {"locked but not yet sure of its file", DataLockStep::Locked, false,
         [](const std::string& folder, DataLock& mine) { EXPECT_EQ(TakeIn(mine, folder), Result::Held); },
         Result::Taken},
        // Giving back: the file is removed, the lock not yet dropped.
        {"giving it back, while another takes", DataLockStep::Removed, true,
         [](const std::string& folder, DataLock& mine) { EXPECT_EQ(TakeIn(mine, folder), Result::Taken); },
         Result::Taken},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        PausedTaker other(dir.path(), c.pauseAt, c.pausedReleases);
        ASSERT_TRUE(other.WaitArrived());
        DataLock mine;
        c.meanwhile(dir.path(), mine);
        EXPECT_EQ(other.Finish(), static_cast<int>(c.paused));
        // Whoever holds it now, a third one is refused while it does.
        const bool mineHeld = mine.held();
        DataLock third;
        EXPECT_EQ(TakeIn(third, dir.path()), mineHeld ? Result::Held : Result::Taken);
    }
}

TEST(DataLockTest, ManyProcessesTakingItAtOnceTakeTurns) {
    test::TempDir dir;
    const std::string inside = dir.file("drin");
    std::vector<pid_t> children;
    for (int p = 0; p < 4; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child != 0) {
            children.push_back(child);
            continue;
        }
        ::alarm(60);
        // A pause at every step, so that the processes overtake each other
        // there.
        unsigned seed = static_cast<unsigned>(::getpid());
        SetDataLockStepHookForTesting([&](DataLockStep) { ::usleep(rand_r(&seed) % 800); });
        for (int turn = 0; turn < 40; ++turn) {
            DataLock lock;
            while (lock.take(dir.path(), kCheckProgramName) != Result::Taken) ::usleep(rand_r(&seed) % 300);
            // Two holders at once would meet here.
            const int fd = ::open(inside.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
            if (fd < 0) ::_exit(1);
            ::close(fd);
            ::usleep(rand_r(&seed) % 300);
            ::unlink(inside.c_str());
        }
        ::_exit(0);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
}

TEST(DataLockTest, TheKernelGivesItBackWhenItsHolderEndsButNotToAProgramItStarted) {
    test::TempDir dir;
    // The holder is killed, having started a program that lives on.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        ::alarm(30);
        DataLock lock;
        if (lock.take(dir.path(), kWindowedProgramName) != Result::Taken) ::_exit(1);
        // Closed by the exec, so that the read below waits for it.
        int exec[2];
        if (::pipe2(exec, O_CLOEXEC) != 0) ::_exit(1);
        const pid_t started = ::fork();
        if (started == 0) {
            ::execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(exec[1]);
        char none;
        if (::read(exec[0], &none, 1) != 0) ::_exit(1);
        [[maybe_unused]] const ssize_t n = ::write(ready[1], &started, sizeof started);
        ::pause();
    }
    pid_t started = 0;
    ASSERT_EQ(::read(ready[0], &started, sizeof started), static_cast<ssize_t>(sizeof started));
    ::close(ready[0]);
    ::close(ready[1]);
    DataLock mine;
    EXPECT_EQ(TakeIn(mine, dir.path()), Result::Held);
    const auto holderText = ReadLockHolder(dir.path());
    ASSERT_TRUE(holderText);
    EXPECT_EQ(holderText->pid, holder);
    EXPECT_EQ(holderText->program, kWindowedProgramName);

    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    // The file stays behind with its text, the started program runs on;
    // nobody holds the lock.
    EXPECT_TRUE(fs::exists(dir.file(kDataLockFileName)));
    EXPECT_EQ(::kill(started, 0), 0);
    EXPECT_EQ(TakeIn(mine, dir.path()), Result::Taken);
    EXPECT_EQ(ReadLockHolder(dir.path())->pid, ::getpid());
    mine.release();
    EXPECT_FALSE(fs::exists(dir.file(kDataLockFileName)));
    ::kill(started, SIGKILL);
}

TEST(DataLockTest, SomethingElseAtTheLockFilesNameIsNeitherFollowedNorTaken) {
    const struct {
        const char* name;
        void (*make)(const test::TempDir& dir);
        const char* reason;
    } cases[] = {
        {"a link", [](const test::TempDir& dir) { fs::create_symlink(dir.file("ziel"), dir.file(kDataLockFileName)); },
         "symbolische Verknüpfung"},
        {"a fifo", [](const test::TempDir& dir) { ::mkfifo(dir.file(kDataLockFileName).c_str(), 0600); },
         "keine gewöhnliche Datei"},
        {"a folder", [](const test::TempDir& dir) { fs::create_directory(dir.file(kDataLockFileName)); }, "Ordner"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        c.make(dir);
        DataLock lock;
        IoError error;
        EXPECT_EQ(TakeIn(lock, dir.path(), &error), Result::Failed);
        EXPECT_NE(error.reason.find(c.reason), std::string::npos) << error.reason;
        EXPECT_FALSE(fs::exists(dir.file("ziel")));
    }
}
