// The look's own read of a file while another program cuts the file short:
// the read fails as the load would, and the process lives on.
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <thread>

#include "EngineFixture.h"
#include "FileScan.h"
#include "OtherCore.h"

using namespace tmf;
using namespace tmf::test;

class FileScan : public EngineTest {};

TEST_F(FileScan, AFileCutShortDuringTheReadFailsWithoutEndingTheProcess) {
    // A file of several read windows, cut at the first entry to nothing, to
    // the middle of a page, to the start of the second window's stretch, or
    // into a later window.
    std::vector<EntrySpec> entries(12000, EntrySpec{.vorname = "Anna", .termin = "15.06.1980", .warnung1 = 7});
    const std::size_t cuts[] = {0, 10 * kRecordSize + 100, 2 * 1024 * 1024, 11000 * kRecordSize};
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGBUS, nullptr, &before), 0);
    for (const std::size_t cut : cuts) {
        SCOPED_TRACE(cut);
        const std::string path = MakeFile("Gross.tmf", entries);
        platform.messages.clear();
        int seen = 0;
        const LoadResult result = cli::ScanAppointmentFile(
            path, [](const Row&) {},
            [&](int entry, cli::ScannedEntry& scanned) {
                if (entry == 1) {
                    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(cut)), 0);
                }
                // What is handed on is the file's, never a page that replaced it.
                EXPECT_EQ(FormatDate(scanned.state.date), "15.06.1980") << entry;
                ++seen;
            });
        EXPECT_EQ(result, LoadResult::Failed);
        EXPECT_EQ(messages(), std::vector<std::string>{path + " konnte nicht geladen werden !"});
        EXPECT_LT(seen, 12000);
        // The read's handler is gone with it.
        struct sigaction now {};
        ASSERT_EQ(::sigaction(SIGBUS, nullptr, &now), 0);
        EXPECT_EQ(now.sa_handler, before.sa_handler);
    }
}

// A long file looked at in two halves at once gives what one read gives: the
// same entries in the same order, the same messages, and a cut during the
// read fails the whole.
TEST_F(FileScan, ALongFileReadInTwoHalvesGivesWhatOneReadGives) {
    std::vector<EntrySpec> entries(12000, EntrySpec{.vorname = "Anna", .termin = "15.06.1980", .warnung1 = 7});
    // Dates that are none, in both halves: more than get a message each.
    for (int i : {5, 700, 5990, 6001, 6002, 8000, 9000, 9500, 9600, 9700, 9800, 9900, 11999})
        entries[static_cast<std::size_t>(i)].termin = "31.02.19" + std::to_string(10 + i % 80);
    for (std::size_t i = 0; i < entries.size(); i += 97) entries[i].termin = "0" + std::to_string(1 + i % 9) + ".03.1990";
    const std::string path = MakeFile("Gross.tmf", entries);
    struct Seen {
        std::vector<std::string> entries;
        std::vector<std::string> messages;
        LoadResult result;
    };
    const auto read = [&](bool inHalves, bool cut) {
        Seen seen;
        std::vector<std::string> later;
        platform.messages.clear();
        const auto visit = [](std::vector<std::string>& into) {
            return [&into](int entry, cli::ScannedEntry& s) { into.push_back(std::to_string(entry) + " " + FormatDate(s.state.date)); };
        };
        seen.result = cli::ScanAppointmentFile(
            path, [](const Row&) {},
            [&, first = visit(seen.entries)](int entry, cli::ScannedEntry& s) {
                if (cut && entry == 100) {
                    EXPECT_EQ(::truncate(path.c_str(), static_cast<off_t>(9000 * kRecordSize)), 0);
                }
                first(entry, s);
            },
            inHalves ? std::function<void(int, cli::ScannedEntry&)>(visit(later)) : nullptr);
        if (inHalves && std::thread::hardware_concurrency() > 1 && !cut) {
            EXPECT_FALSE(later.empty()) << "read in halves";
        }
        seen.entries.insert(seen.entries.end(), later.begin(), later.end());
        seen.messages = messages();
        return seen;
    };
    const Seen once = read(false, false), halves = read(true, false);
    ASSERT_EQ(once.result, LoadResult::Loaded);
    EXPECT_EQ(halves.result, LoadResult::Loaded);
    EXPECT_EQ(halves.entries, once.entries);
    EXPECT_EQ(halves.messages, once.messages);
    EXPECT_EQ(once.messages.size(), static_cast<std::size_t>(kDateMessagesPerFile) + 1) << "and the summary of the rest";
    const Seen cut = read(true, true);
    EXPECT_EQ(cut.result, LoadResult::Failed);
    EXPECT_EQ(cut.messages.back(), path + " konnte nicht geladen werden !");
}

// The second thread of a look runs on another core than the one that made it
// from its first instruction: placed there only once it runs, it may run
// first on its maker's core, and the maker then waits until it is done. Let
// go, it may run anywhere it is allowed; a thread held to one core gets no
// second thread.
TEST(OtherCore, RunsOnAnotherCoreFromTheStartUntilLetGo) {
    cpu_set_t allowed;
    ASSERT_EQ(::sched_getaffinity(0, sizeof allowed, &allowed), 0);
    if (CPU_COUNT(&allowed) < 2) GTEST_SKIP() << "one core";
    for (int round = 0; round < 20; ++round) {
        cpu_set_t atStart, afterLetGo;
        cli::OtherCore second;
        ASSERT_TRUE(second.start([&] {
            ::sched_getaffinity(0, sizeof atStart, &atStart);
            second.letGo();
            ::sched_getaffinity(0, sizeof afterLetGo, &afterLetGo);
        }));
        second.join();
        // All but the maker's core, whichever it was then.
        cpu_set_t both;
        CPU_AND(&both, &atStart, &allowed);
        EXPECT_TRUE(CPU_EQUAL(&both, &atStart)) << "round " << round;
        EXPECT_EQ(CPU_COUNT(&atStart), CPU_COUNT(&allowed) - 1) << "round " << round;
        EXPECT_TRUE(CPU_EQUAL(&afterLetGo, &allowed));
    }
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(::sched_getcpu(), &one);
    std::thread held([&] {
        ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
        cli::OtherCore second;
        bool ran = false;
        EXPECT_FALSE(second.start([&] { ran = true; }));
        second.join();
        EXPECT_FALSE(ran);
    });
    held.join();
}
