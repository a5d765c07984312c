// The terminal check over a list of files: each file's report is handed on
// once, in the list's order and while the check goes on, whichever file is
// done first; the look-ahead comes soonest first, a day's in the list's and
// each file's order.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "CheckFiles.h"
#include "EngineFixture.h"

using namespace tmf;
using namespace tmf::test;

namespace {

// A file per size: -1 for one that is missing, 0 for one that is no
// appointment file, else that many entries, of which only the first has a
// finding (a first warning).
struct ListCase {
    const char* name;
    std::vector<int> sizes;
    bool stamp;
    bool streams;  // the first file's report goes out before the last file is looked at
};

std::string Name(int file, int entry) { return "F" + std::to_string(file) + " E" + std::to_string(entry); }

}  // namespace

class CheckFilesInOrder : public EngineTest {
protected:
    std::vector<std::string> MakeList(const std::vector<int>& sizes) {
        std::vector<std::string> files;
        for (std::size_t k = 0; k < sizes.size(); ++k) {
            const std::string name = "L" + std::to_string(made++) + ".tmf";
            if (sizes[k] < 0) {
                files.push_back(DataDir + name);
            } else if (sizes[k] == 0) {
                WriteAppointmentFileBytes(DataDir + name, std::string(2 * kRecordSize, 'x'));
                files.push_back(DataDir + name);
            } else {
                std::vector<EntrySpec> entries(static_cast<std::size_t>(sizes[k]),
                                               {.vorname = "F" + std::to_string(k), .termin = "01.01.1990"});
                entries[0] = {.vorname = "F" + std::to_string(k), .nachname = "E1", .termin = "16.06.1990",
                              .warnung1 = 7};
                files.push_back(MakeFile(name, entries));
            }
        }
        return files;
    }
    int made = 0;
};

TEST_F(CheckFilesInOrder, EachReportGoesOutOnceInTheListsOrderWhicheverFileIsDoneFirst) {
    const ListCase cases[] = {
        {"long first", {20000, 1, 1, 1, 1, 1}, false, true},
        {"long last", {1, 1, 1, 1, 1, 20000}, false, true},
        {"broken between", {2, -1, 3, 0, 2, 5000, 1}, false, true},
        {"few", {3, 2, 1}, false, false},
        {"stamping", {3, -1, 2, 4, 1}, true, false},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> files = MakeList(c.sizes);
        std::mutex mutex;
        std::condition_variable firstOut;
        std::vector<std::string> reported;
        bool firstWasOut = false;
        const auto onReport = [&](const cli::FileReport& report) {
            const std::size_t k = reported.size();
            ASSERT_LT(k, files.size());
            EXPECT_EQ(report.path, files[k]);
            EXPECT_EQ(report.checked, c.sizes[k] > 0);
            if (c.sizes[k] > 0) {
                std::vector<std::string> who;
                report.forEach([&](const cli::ShownFinding& f) { who.emplace_back(f.who); });
                EXPECT_EQ(who, std::vector<std::string>{Name(static_cast<int>(k), 1)});
            }
            const std::lock_guard lock(mutex);
            reported.push_back(report.path);
            firstWasOut = true;
            firstOut.notify_all();
        };
        // A report held until the end would never let the last file start.
        bool lastWaited = false;
        const auto onFile = [&](const std::string& path) {
            if (!c.streams || path != files.back()) return;
            std::unique_lock lock(mutex);
            lastWaited = firstOut.wait_for(lock, std::chrono::seconds(20), [&] { return firstWasOut; });
        };

        const cli::CheckOutcome outcome = cli::CheckFiles(files, {.stamp = c.stamp, .onFile = onFile, .onReport = onReport});

        EXPECT_EQ(reported, files);
        EXPECT_EQ(lastWaited, c.streams);
        const bool anyBroken = std::any_of(c.sizes.begin(), c.sizes.end(), [](int n) { return n <= 0; });
        EXPECT_EQ(outcome.failed, anyBroken);
    }
}

TEST_F(CheckFilesInOrder, FindingsComeHighestKindFirstAndInTheFilesOrderWithinAKind) {
    // On 15.06.2024 after a check on 10.06.2024; the same entries again,
    // with a 2 after the first name, after enough quiet ones that a look
    // finds them in the later half on its second thread.
    std::vector<EntrySpec> entries = {
        {.vorname = "W1", .nachname = "a", .termin = "20.06.1990", .warnung1 = 7},
        {.vorname = "Ueber", .nachname = "b", .termin = "12.06.1990"},
        {.vorname = "W1", .nachname = "c", .termin = "18.06.1990", .warnung1 = 5},
        {.vorname = "Heute", .nachname = "d", .termin = "15.06.1990"},
        {.vorname = "Ruhig", .nachname = "x", .termin = "01.01.1990"},
        {.vorname = "W2", .nachname = "e", .termin = "17.06.1990", .warnung1 = 7, .warnung2 = 3},
        {.vorname = "Ueber", .nachname = "f", .termin = "11.06.1990", .terminart = "Namenstag"},
        {.vorname = "Heute", .nachname = "g", .termin = "15.06.2000", .terminart = "Jubiläum"},
    };
    const std::size_t kinds = entries.size();
    entries.resize(kinds + 6000, {.vorname = "Ruhig", .termin = "01.01.1990"});
    for (std::size_t e = 0; e < kinds; ++e) {
        entries.push_back(entries[e]);
        entries.back().vorname += "2";
    }
    for (const bool stamp : {false, true}) {
        SCOPED_TRACE(stamp);
        const std::string file = MakeFile("Arten.tmf", entries, "10.06.2024");
        std::vector<std::string> order;
        std::size_t shown = 0;
        cli::CheckFiles({file}, {.stamp = stamp, .onReport = [&](const cli::FileReport& report) {
                                     shown = report.size();
                                     report.forEach([&](const cli::ShownFinding& f) {
                                         order.push_back(std::string(f.who) + ": " + f.text());
                                     });
                                 }});
        EXPECT_EQ(order, (std::vector<std::string>{
                             "Ueber b: Geburtstag wurde übergangen !", "Ueber f: Namenstag wurde übergangen !",
                             "Ueber2 b: Geburtstag wurde übergangen !", "Ueber2 f: Namenstag wurde übergangen !",
                             "Heute d: hat Heute Geburtstag !", "Heute g: hat Heute Jubiläum !",
                             "Heute2 d: hat Heute Geburtstag !", "Heute2 g: hat Heute Jubiläum !",
                             "W2 e: hat in 2 Tag(en) Geburtstag !", "W22 e: hat in 2 Tag(en) Geburtstag !",
                             "W1 a: hat in 5 Tag(en) Geburtstag !", "W1 c: hat in 3 Tag(en) Geburtstag !",
                             "W12 a: hat in 5 Tag(en) Geburtstag !", "W12 c: hat in 3 Tag(en) Geburtstag !"}));
        EXPECT_EQ(shown, order.size());
    }
}

TEST_F(CheckFilesInOrder, TheLookAheadIsSoonestFirstThenInTheListsAndEachFilesOrder) {
    struct Case {
        const char* name;
        int files;
        bool stamp;
    };
    const Case cases[] = {{"long list", 6, false}, {"few", 3, false}, {"stamping", 5, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Entry e of file k has its anniversary (k * 3 + e * 5) % 8 days
        // after 15.06.2024; file 1 is missing.
        std::vector<std::string> files;
        std::vector<std::tuple<int, int, int>> expected;
        for (int k = 0; k < c.files; ++k) {
            const std::string name = "A" + std::to_string(k) + ".tmf";
            if (k == 1) {
                files.push_back(DataDir + name);
                continue;
            }
            std::vector<EntrySpec> entries = {{.vorname = "Ruhig", .termin = "01.01.1990"}};
            // File 2 is long: a look finds its entries from the fourth on in
            // the later half, on its second thread; the ninth comes on the
            // day of the first.
            for (int e = 1; e <= (k == 2 ? 9 : 6); ++e) {
                if (k == 2 && e == 4) entries.resize(6000, {.vorname = "Ruhig", .termin = "01.01.1990"});
                const int days = (k * 3 + e * 5) % 8;
                entries.push_back({.vorname = "F" + std::to_string(k),
                                   .nachname = "E" + std::to_string(e),
                                   .termin = FormatDate(std::chrono::year{1990 + e} / std::chrono::June /
                                                        std::chrono::day{static_cast<unsigned>(15 + days)}),
                                   .terminart = "Tag" + std::to_string(k)});
                expected.emplace_back(days, k, e);
            }
            files.push_back(MakeFile(name, entries));
        }
        std::sort(expected.begin(), expected.end());
        std::vector<std::string> want, got;
        for (const auto& [days, k, e] : expected)
            want.push_back(std::to_string(days) + " " + Name(k, e) + " Tag" + std::to_string(k) + " " +
                           std::to_string(34 - e));

        const cli::CheckOutcome outcome = cli::CheckFiles(files, {.stamp = c.stamp, .aheadDays = 7});

        outcome.upcoming.forEach([&](const cli::Upcoming& u) {
            got.push_back(std::to_string(u.days) + " " + std::string(u.who) + " " + std::string(u.term) + " " +
                          std::to_string(u.years));
        });
        EXPECT_EQ(got, want);
    }
}
