// What a save or a load must never do to the user's files: write through a
// FIFO or onto a device, hang on one, overwrite a file the user made
// read-only, or leave leftovers of a save that was killed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "AppointmentFile.h"
#include "ChildProcess.h"
#include "CoreFixture.h"
#include "ListFiles.h"
#include "SampleFiles.h"
#include "State.h"

using namespace tmf;
using tmf::test::CoreTest;
using tmf::test::InChild;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool LastMessageHas(const test::ScriptedPlatform& p, const std::string& part) {
    return !p.messages.empty() && p.messages.back().text.find(part) != std::string::npos;
}

std::vector<int> gFifoReaders;

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777;
}

// Puts a fault of the disk in for one test.
struct DiskFault {
    explicit DiskFault(WriteFault fault) { SetWriteFaultForTesting(fault); }
    ~DiskFault() { SetWriteFaultForTesting(WriteFault::None); }
};

}  // namespace

class SaveSafety : public CoreTest {};

// ------------------------------------------------ only plain files

TEST_F(SaveSafety, LoadsAndSavesLeaveFifosFoldersAndLinksToThemAsTheyAre) {
    struct Thing {
        const char* name;
        void (*make)(const std::string& at, const std::string& dir);
        bool (*unchanged)(const std::string& at);
    };
    const Thing things[] = {
        {"fifo", [](const std::string& at, const std::string&) { ::mkfifo(at.c_str(), 0644); },
         [](const std::string& at) { return fs::is_fifo(fs::symlink_status(at)); }},
        {"link to a fifo",
         [](const std::string& at, const std::string& dir) {
             ::mkfifo((dir + "rohr").c_str(), 0644);
             fs::create_symlink(dir + "rohr", at);
         },
         [](const std::string& at) { return fs::is_symlink(fs::symlink_status(at)) && fs::is_fifo(at); }},
        // A reader lets a writer's open succeed where it fails without one.
        {"fifo that a reader holds open",
         [](const std::string& at, const std::string&) {
             ::mkfifo(at.c_str(), 0644);
             gFifoReaders.push_back(::open(at.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
         },
         [](const std::string& at) { return fs::is_fifo(fs::symlink_status(at)); }},
        {"folder", [](const std::string& at, const std::string&) { fs::create_directory(at); },
         [](const std::string& at) { return fs::is_directory(fs::symlink_status(at)) && fs::is_empty(at); }},
    };
    struct Operation {
        const char* name;
        bool (*run)(const std::string& at);
    };
    const Operation operations[] = {
        {"full load", [](const std::string& at) { return IsLoaded(LoadAppointmentFile(at, "Alles")); }},
        {"header load", [](const std::string& at) { return IsLoaded(LoadAppointmentFile(at, "")); }},
        {"full save", [](const std::string& at) { return SaveAppointmentFile(at, "Alles", "Datum"); }},
        {"header save", [](const std::string& at) { return SaveAppointmentFile(at, "", "Datum"); }},
    };
    for (const Thing& thing : things) {
        for (const Operation& op : operations) {
            SCOPED_TRACE(std::string(thing.name) + ", " + op.name);
            test::TempDir d;
            const std::string at = d.file("Termif98.tmf");
            thing.make(at, d.path());
            // 0: refused with a message naming the file; 1: reported as done;
            // 2: refused without a word.
            const int result = InChild([&] {
                platform.messages.clear();
                if (op.run(at)) return 1;
                return LastMessageHas(platform, at) ? 0 : 2;
            });
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(thing.unchanged(at));
            for (const int fd : gFifoReaders) ::close(fd);
            gFifoReaders.clear();
        }
    }
}

TEST_F(SaveSafety, SavingOntoAFifoSaysWhyAndThatTheFileIsUnchanged) {
    const std::string at = dir.file("Familie.tmf");
    ASSERT_EQ(::mkfifo(at.c_str(), 0644), 0);
    test::LoadIntoState({{"Anna"}});
    EXPECT_EQ(InChild([&] {
                  if (SaveAppointmentFile(at, "Alles", "")) return 1;
                  return LastMessageHas(platform, "keine gewöhnliche Datei") &&
                                 LastMessageHas(platform, "unverändert")
                             ? 0
                             : 2;
              }),
              0);
}

TEST_F(SaveSafety, ListFilesThatAreFifosAreNeitherReadNorReplaced) {
    ASSERT_EQ(::mkfifo(dir.file("Liste.dat").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(dir.file("Termin.dat").c_str(), 0644), 0);
    EXPECT_EQ(InChild([&] {
                  ListLines[10] = "bleibt";
                  TermNames[0] = "Geburtstag";
                  platform.messages.clear();
                  if (LoadCheckList() || SaveCheckList()) return 1;
                  LoadTermNames();
                  if (SaveTermNames() || ListLines[10] != "bleibt" || TermNames[0] != "Geburtstag") return 1;
                  // A FIFO is there: "nicht gefunden" would be untrue.
                  for (const auto& m : platform.messages)
                      if (m.text.find("nicht gefunden") != std::string::npos) return 2;
                  return platform.messages.size() == 4 ? 0 : 3;
              }),
              0);
    EXPECT_TRUE(fs::is_fifo(dir.file("Liste.dat")));
    EXPECT_TRUE(fs::is_fifo(dir.file("Termin.dat")));
}

// ---------------------------------------------- the file's permissions

TEST_F(SaveSafety, ReadOnlyFileIsNotReplacedForAUserWhoMayNotWriteIt) {
    // The folder is the user's; only the file is read-only.
    uid_t uid = ::geteuid();
    gid_t gid = ::getegid();
    if (uid == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody) GTEST_SKIP() << "no user nobody to drop to";
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
        ASSERT_EQ(::chown(dir.path().c_str(), uid, gid), 0);
    }
    const std::string path = dir.file("Familie.tmf");
    const std::string original = test::AppointmentFileBytes({{"alt"}});
    dir.write("Familie.tmf", original);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    test::LoadIntoState({{"neu"}, {"neu2"}});
    // 0: refused, and the message says the file is unchanged for lack of
    // permission; 1: reported as saved; 2: another message.
    const int result = InChild([&] {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)) return 9;
        if (SaveAppointmentFile(path, "Alles", "Datum")) return 1;
        if (!LastMessageHas(platform, "Keine Berechtigung.") || !LastMessageHas(platform, "unverändert")) return 2;
        if (SaveAppointmentFile(path, "", "Datum")) return 1;
        return LastMessageHas(platform, "Keine Berechtigung.") ? 0 : 2;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dir.read("Familie.tmf"), original);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"Familie.tmf"});
}

TEST_F(SaveSafety, RootSavingAnotherUsersFileKeepsItTheirs) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file away";
    const std::string path = dir.file("Familie.tmf");
    dir.write("Familie.tmf", test::AppointmentFileBytes({{"alt"}}));
    ASSERT_EQ(::chown(path.c_str(), 4242, 4343), 0);
    test::LoadIntoState({{"neu"}});
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", ""));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4242u);
    EXPECT_EQ(st.st_gid, 4343u);
}

TEST_F(SaveSafety, TheTemporaryCopyIsNeverReadableByMoreThanTheFileItReplaces) {
    const std::string path = dir.file("Familie.tmf");
    test::LoadIntoState({{"neu"}});
    const mode_t keepMask = ::umask(022);
    for (const mode_t mode : {0600, 0640, 0400, 0644, 0660}) {
        SCOPED_TRACE(mode);
        if (!(mode & 0200) && ::geteuid() != 0) continue;  // only root may write it
        dir.write("Familie.tmf", test::AppointmentFileBytes({{"alt"}}));
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        std::vector<mode_t> seen;
        SetTemporaryFileObserverForTesting([&](const std::string& tmp) { seen.push_back(ModeOf(tmp)); });
        EXPECT_TRUE(SaveAppointmentFile(path, "Alles", ""));
        SetTemporaryFileObserverForTesting(nullptr);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0] & ~mode, 0u) << std::oct << seen[0];
        EXPECT_EQ(ModeOf(path), mode);
    }
    ::umask(keepMask);
}

// ------------------------------------------------ the disk fails

TEST_F(SaveSafety, AFailingFlushOrAFullDiskLeavesTheOldFileAndSaysSo) {
    const struct {
        WriteFault fault;
        const char* reason;
    } cases[] = {
        // Unflushed, a power cut after the rename can leave an empty file.
        {WriteFault::FailingSync, "Ein-/Ausgabefehler."},
        {WriteFault::NoSpaceForNewFiles, "Kein Platz mehr auf dem Datenträger."},
    };
    const std::string path = dir.file("Familie.tmf");
    const std::string original = test::AppointmentFileBytes({{"alt"}});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        dir.write("Familie.tmf", original);
        test::LoadIntoState({{"neu"}, {"neu2"}});
        platform.messages.clear();
        {
            DiskFault fault(c.fault);
            EXPECT_FALSE(SaveAppointmentFile(path, "Alles", "Datum"));
        }
        EXPECT_TRUE(LastMessageHas(platform, c.reason));
        EXPECT_TRUE(LastMessageHas(platform, "Die Datei auf dem Datenträger ist unverändert."));
        EXPECT_EQ(dir.read("Familie.tmf"), original);
        EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"Familie.tmf"});
    }
}

// ------------------------------------- links that another user planted

TEST_F(SaveSafety, LinksAreFollowedOnlyWhereTheSystemsProtectionOfSharedFoldersWould) {
    if (::geteuid() != 0) GTEST_SKIP() << "links of another user need root to make";
    constexpr uid_t kNobody = 65534;
    enum Link { ToFile, Dangling, ToFolder };
    const struct {
        const char* name;
        mode_t folderMode;
        uid_t folderOwner, linkOwner;
        Link link;
        bool followed;
    } cases[] = {
        {"the user's own link in a shared folder", 01777, 0, 0, ToFile, true},
        {"another user's link in a shared folder", 01777, 0, kNobody, ToFile, false},
        {"another user's dangling link in a shared folder", 01777, 0, kNobody, Dangling, false},
        {"another user's link to a folder on the way", 01777, 0, kNobody, ToFolder, false},
        {"the folder owner's link in a shared folder", 01777, kNobody, kNobody, ToFile, true},
        {"another user's link in a folder without the sticky bit", 0777, 0, kNobody, ToFile, true},
        {"another user's link in a sticky folder only its owner writes", 01755, 0, kNobody, ToFile, true},
    };
    const std::string original = test::AppointmentFileBytes({{"alt"}});
    for (const auto& c : cases) {
        for (const char* mode : {"Alles", ""}) {
            SCOPED_TRACE(std::string(c.name) + (*mode ? ", whole file" : ", header"));
            test::TempDir d;
            const std::string shared = d.file("geteilt"), safe = d.file("sicher/");
            fs::create_directory(shared);
            fs::create_directory(safe);
            ASSERT_EQ(::chown(shared.c_str(), c.folderOwner, 0), 0);
            ASSERT_EQ(::chmod(shared.c_str(), c.folderMode), 0);
            d.write("sicher/Geheim.tmf", original);
            ASSERT_EQ(::chmod((safe + "Geheim.tmf").c_str(), 0600), 0);
            std::string name = shared + "/Familie.tmf";
            const std::string link = c.link == ToFolder ? shared + "/ordner" : name;
            const std::string target = c.link == ToFile ? safe + "Geheim.tmf" : c.link == Dangling ? safe + "Neu.tmf" : safe;
            if (c.link == ToFolder) name = link + "/Geheim.tmf";
            fs::create_symlink(target, link);
            ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, 0), 0);

            test::LoadIntoState({{"neu"}});
            platform.messages.clear();
            const bool saved = SaveAppointmentFile(name, mode, "Datum");
            EXPECT_EQ(saved, c.followed);
            EXPECT_TRUE(fs::is_symlink(link));
            if (c.followed) {
                EXPECT_TRUE(d.read("sicher/Geheim.tmf") != original);
                EXPECT_EQ(ModeOf(safe + "Geheim.tmf"), 0600u);
            } else {
                EXPECT_TRUE(LastMessageHas(platform, "symbolische Verknüpfung eines anderen Benutzers"));
                EXPECT_TRUE(d.read("sicher/Geheim.tmf") == original);
                EXPECT_FALSE(fs::exists(safe + "Neu.tmf"));
            }
            EXPECT_EQ(FilesIn(safe), (std::vector<std::string>{"Geheim.tmf"}));
        }
    }
}

TEST_F(SaveSafety, NamesRelativeToTheWorkingFolderAreWrittenWhereTheyLead) {
    fs::create_directory(dir.file("echt"));
    fs::create_symlink("echt/Familie.tmf", dir.file("link.tmf"));  // the user's own
    const fs::path keep = fs::current_path();
    fs::current_path(dir.path());
    for (const char* name : {"link.tmf", "./echt/../link.tmf", "echt/Familie.tmf"}) {
        for (const char* mode : {"", "Alles"}) {
            SCOPED_TRACE(std::string(name) + " " + mode);
            fs::remove(dir.file("echt/Familie.tmf"));
            test::LoadIntoState({{"neu"}});
            EXPECT_TRUE(SaveAppointmentFile(name, mode, "Datum")) << (messages().empty() ? "" : messages().back());
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir.file("echt/Familie.tmf"))));
        }
    }
    fs::current_path(keep);
    EXPECT_TRUE(fs::is_symlink(dir.file("link.tmf")));
}

// ------------------------------------------------ a save that is killed

TEST_F(SaveSafety, SaveKilledAtRandomMomentsLeavesAWholeFileAndNothingTheNextSaveKeeps) {
    const std::string path = dir.file("Familie.tmf");
    const auto entriesA = test::GenerateEntries(3000, 1);
    const auto entriesB = test::GenerateEntries(3100, 2);
    const std::string bytesA = test::AppointmentFileBytes(entriesA);
    const std::string bytesB = test::AppointmentFileBytes(entriesB);
    dir.write("Familie.tmf", bytesA);
    std::mt19937 rng(20241207);
    int leftovers = 0;
    for (int kill = 0; kill < 40; ++kill) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::alarm(30);
            for (int round = 0;; ++round) {
                test::LoadIntoState(round % 2 ? entriesA : entriesB);
                SaveAppointmentFile(path, "Alles", "");
            }
        }
        ::usleep(1000 + rng() % 25000);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const std::string now = dir.read("Familie.tmf");
        ASSERT_TRUE(now == bytesA || now == bytesB) << "torn file after kill " << kill;
        leftovers += static_cast<int>(FilesIn(dir.path()).size()) - 1;
    }
    // The next save (at the next start the current file is saved) clears
    // what the killed ones left.
    test::LoadIntoState(entriesA);
    ASSERT_TRUE(SaveAppointmentFile(path, "", ""));
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"Familie.tmf"}) << leftovers << " leftovers seen";
}

TEST_F(SaveSafety, TemporaryFilesOfRunningProcessesAndOtherFilesAreKept) {
    const std::string live = ".~tmf98-" + std::to_string(::getppid()) + "-1-Familie.tmf";
    const std::string dead = ".~tmf98-999999999-1-x";  // beyond any process id
    for (const std::string& name : {live, dead, std::string(".~tmf98-abc-Familie.tmf"), std::string(".Familie.tmf.tmp12")})
        dir.write(name, "x");
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir.path()), 1);
    const auto left = FilesIn(dir.path());
    EXPECT_EQ(std::count(left.begin(), left.end(), dead), 0);
    EXPECT_EQ(left.size(), 3u);
}
