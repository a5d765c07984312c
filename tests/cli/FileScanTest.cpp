// The look's own read of a file while another program cuts the file short:
// the read fails as the load would, and the process lives on.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include "EngineFixture.h"
#include "FileScan.h"

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
