// A full save of a table that still holds exactly what its file holds
// writes the header only (the start saves the current file in full every
// time); anything that makes the table or the file differ writes it all.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <functional>

#include "AppointmentFile.h"
#include "CoreFixture.h"
#include "SampleFiles.h"
#include "State.h"

using namespace tmf;

namespace {

ino_t InodeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

std::vector<Row> RowsIn(const std::string& bytes) {
    std::vector<Row> rows(bytes.size() / kRecordSize);
    for (std::size_t r = 0; r < rows.size(); ++r)
        DecodeRecord(reinterpret_cast<const unsigned char*>(bytes.data()) + r * kRecordSize, rows[r]);
    return rows;
}

}  // namespace

class UnchangedSave : public test::CoreTest {
protected:
    // Sets the file's last change to the one at the load plus seconds.
    void MoveChangeTime(const std::string& path, int seconds) {
        timespec times[2] = {{0, UTIME_OMIT}, loadedAt};
        times[1].tv_sec += seconds;
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    void NoteLoadTime(const std::string& path) {
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        loadedAt = st.st_mtim;
    }
    timespec loadedAt{};
};

TEST_F(UnchangedSave, OnlyATableAndFileBothAsReadGetTheHeaderAlone) {
    const std::string path = dir.file("Familie.tmf");
    const std::string other = dir.file("Andere.tmf");
    const auto entries = test::GenerateEntries(40, 12);
    const std::string original = test::AppointmentFileBytes(entries, "01.06.2024");
    struct Case {
        const char* name;
        std::function<void()> before;    // after the load, before the save
        std::string file;                // what lies on disk at the load
        std::string target;              // where the save goes; "" is the file loaded
        bool headerOnly = false;
    };
    auto mendable = entries;
    mendable[4].termin = "3.4.1977";  // the load writes it as 03.04.1977
    const std::vector<Case> cases = {
        {"nothing changed", [] {}, original, "", true},
        {"a sort that moves nothing", [] { EntryTable.permuteRows({0, 1, 2}); }, original, "", true},
        {"an entry changed", [] { EntryTable(Vorname, 3) = Cell("Geändert"); }, original},
        {"entries sorted", [] { EntryTable.swapRows(1, 40); }, original},
        {"an entry added",
         [] {
             ResizeEntryTable(41);
             EntryTable.row(41) = test::MakeRow({.vorname = "Neu", .termin = "02.02.2002"});
             EntryCount = 41;
         },
         original},
        {"a date mended by the load", [] {}, test::AppointmentFileBytes(mendable, "01.06.2024")},
        {"bytes beyond the last entry", [] {}, original + "Rest"},
        // The same size and the same header, a second later.
        {"the entries rewritten by another program",
         [&] {
             dir.write("Familie.tmf", test::AppointmentFileBytes(test::GenerateEntries(40, 13), "01.06.2024"));
             MoveChangeTime(path, 1);
         },
         original},
        // Within the same tick of the clock: only the header tells.
        {"the file rewritten and its time put back",
         [&] {
             dir.write("Familie.tmf", test::AppointmentFileBytes(test::GenerateEntries(40, 13), "02.06.2024"));
             MoveChangeTime(path, 0);
         },
         original},
        {"saved under another name", [] {}, original, "Andere.tmf"},
        {"the table of an earlier load put back",
         [&] {
             const EntryTableType earlier = EntryTable;
             dir.write("Andere.tmf", test::AppointmentFileBytes(test::GenerateEntries(40, 14)));
             ASSERT_EQ(LoadAppointmentFile(other, "Alles"), LoadResult::Loaded);
             EntryTable = earlier;
         },
         original},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write("Familie.tmf", c.file);
        NoteLoadTime(path);
        ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
        c.before();
        const std::string target = c.target.empty() ? path : dir.file(c.target);
        const ino_t inode = InodeOf(target);
        const EntryTableType expected = EntryTable;  // what the file must hold afterwards
        const int count = EntryCount;
        platform.clearRecords();
        ASSERT_TRUE(SaveAppointmentFile(target, "Alles", "Datum"));
        // A full save puts a new file in the old one's place.
        EXPECT_EQ(InodeOf(target) == inode, c.headerOnly);
        const std::string now = dir.read(c.target.empty() ? "Familie.tmf" : c.target);
        ASSERT_EQ(now.size(), static_cast<std::size_t>(count + 1) * kRecordSize);
        const std::vector<Row> rows = RowsIn(now);
        EXPECT_EQ(rows[0][HeaderLastCheck], Cell("15.06.2024"));
        EXPECT_EQ(rows[0][HeaderCount].asInteger(), count);
        for (int r = 1; r <= count; ++r) EXPECT_EQ(rows[static_cast<std::size_t>(r)], expected.row(r)) << r;
        if (c.headerOnly) {
            EXPECT_EQ(now.substr(kRecordSize), original.substr(kRecordSize));
            // The progress starts and ends as a full save's does.
            ASSERT_EQ(platform.progress.size(), 2u);
            EXPECT_EQ(platform.progress.back().position, 40);
        }
        EXPECT_TRUE(messages().empty());
    }
}

TEST_F(UnchangedSave, TheHeaderWrittenLastIsWhatTheNextUnchangedSaveStartsFrom) {
    const std::string path = dir.file("Familie.tmf");
    const std::string original = test::AppointmentFileBytes(test::GenerateEntries(25, 2), "01.06.2024");
    dir.write("Familie.tmf", original);
    ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    const ino_t inode = InodeOf(path);
    // A header of our own, then a full save of the unchanged table: still
    // the header alone, and the header written last counts.
    EntryTable(HeaderOutputChoice, 0) = Cell(3);
    ASSERT_TRUE(SaveAppointmentFile(path, "", ""));
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", "Datum"));
    EXPECT_EQ(InodeOf(path), inode);
    EXPECT_EQ(RowsIn(dir.read("Familie.tmf"))[0][HeaderOutputChoice], Cell("3"));
    // After a full save of a changed table the file holds that table.
    EntryTable(Nachname, 7) = Cell("Anders");
    ASSERT_TRUE(SaveAppointmentFile(path, "Alles", ""));
    EXPECT_EQ(RowsIn(dir.read("Familie.tmf"))[7][Nachname], Cell("Anders"));
    // A file that failed to load is not written to, by any route.
    dir.write("Familie.tmf", "kaputt");
    EXPECT_NE(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    EXPECT_FALSE(SaveAppointmentFile(path, "Alles", ""));
    EXPECT_EQ(dir.read("Familie.tmf"), "kaputt");
}
