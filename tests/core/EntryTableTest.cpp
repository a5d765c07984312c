// The entry table decodes a loaded file's rows only when they are first
// touched: whatever happens to the rows before and after that, they must read
// as if every row had been decoded at the load.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "AppointmentFile.h"
#include "CoreFixture.h"
#include "SampleFiles.h"
#include "State.h"

using namespace tmf;
using tmf::test::CoreTest;

class EntryTableLazy : public CoreTest {
protected:
    // The rows of a file as an eager decoder sees them.
    static std::vector<Row> Decoded(const std::string& bytes) {
        std::vector<Row> rows(bytes.size() / kRecordSize);
        for (std::size_t r = 0; r < rows.size(); ++r)
            DecodeRecord(reinterpret_cast<const unsigned char*>(bytes.data()) + r * kRecordSize, rows[r]);
        return rows;
    }
    static void ExpectSame(const std::vector<Row>& expected, int upTo) {
        ASSERT_GE(EntryTable.lastRow(), upTo);
        for (int r = 1; r <= upTo; ++r) EXPECT_EQ(EntryTable.row(r), expected[static_cast<std::size_t>(r)]) << r;
    }
};

TEST_F(EntryTableLazy, RowsReadAsIfDecodedAtTheLoadWhateverWasDoneToThemFirst) {
    const std::string path = dir.file("a.tmf");
    const std::string bytesA = test::AppointmentFileBytes(test::GenerateEntries(40, 7));
    const std::string bytesB = test::AppointmentFileBytes(test::GenerateEntries(25, 8));
    std::mt19937 rng(11);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        const std::string& bytes = round % 3 == 2 ? bytesB : bytesA;
        dir.write("a.tmf", bytes);
        ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
        std::vector<Row> model = Decoded(bytes);
        int last = EntryCount;
        // The same random operations on the table and on an eager model.
        for (int step = 0; step < 12; ++step) {
            const int a = 1 + static_cast<int>(rng() % static_cast<unsigned>(last));
            const int b = 1 + static_cast<int>(rng() % static_cast<unsigned>(last));
            switch (rng() % 6) {
                case 0:  // a look at one cell
                    EXPECT_EQ(EntryTable(Vorname, a), model[static_cast<std::size_t>(a)][Vorname]);
                    break;
                case 1:
                    EntryTable.swapRows(a, b);
                    std::swap(model[static_cast<std::size_t>(a)], model[static_cast<std::size_t>(b)]);
                    break;
                case 2: {  // the sort's move
                    std::vector<int> order(static_cast<std::size_t>(last) + 1);
                    std::iota(order.begin(), order.end(), 0);
                    std::shuffle(order.begin() + 1, order.end(), rng);
                    EntryTable.permuteRows(order);
                    std::vector<Row> moved = model;
                    for (int i = 1; i <= last; ++i)
                        moved[static_cast<std::size_t>(i)] = model[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])];
                    model = moved;
                    break;
                }
                case 3:  // a write, as the editor and the check make
                    EntryTable(Warnung1, a) = Cell(-a);
                    model[static_cast<std::size_t>(a)][Warnung1] = Cell(-a);
                    break;
                case 4:  // a copy and back
                {
                    EntryTableType copy = EntryTable;
                    EntryTable = EntryTableType();
                    EntryTable = copy;
                    break;
                }
                case 5:  // cut and grow: the new rows are empty
                    if (last > 3) {
                        last -= 2;
                        ResizeEntryTable(last);
                        ResizeEntryTable(last + 1);
                        model.resize(static_cast<std::size_t>(last) + 1);
                        model.emplace_back();
                        ++last;
                        EntryCount = last;
                    }
                    break;
            }
        }
        ExpectSame(model, last);
    }
}

TEST_F(EntryTableLazy, ReloadAfterSomeRowsWereTouchedGivesTheNewFile) {
    const std::string path = dir.file("a.tmf");
    dir.write("a.tmf", test::AppointmentFileBytes({{"Alt1"}, {"Alt2"}, {"Alt3"}}));
    ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    EXPECT_EQ(EntryTable(Vorname, 2), Cell("Alt2"));
    const std::string bytes = test::AppointmentFileBytes({{"Neu1"}, {"Neu2"}, {"Neu3"}, {"Neu4"}});
    dir.write("a.tmf", bytes);
    ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
    ExpectSame(Decoded(bytes), 4);
    // A load that fails leaves the rows of the last one.
    EXPECT_EQ(LoadAppointmentFile(dir.file("fehlt.tmf"), "Alles"), LoadResult::Failed);
    ExpectSame(Decoded(bytes), 4);
}
