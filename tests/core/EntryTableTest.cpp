// The entry table decodes a loaded file's rows only when they are first
// touched: whatever happens to the rows before and after that, they must read
// as if every row had been decoded at the load.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <numeric>
#include <random>

#include "AppointmentFile.h"
#include "Scramble.h"
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

// ------------------------------------------------- packed rows of a load

class EntryTablePacked : public EntryTableLazy {
protected:
    // A file of generated entries with records as other writers leave
    // them: bytes left in the empty room of a field, a length byte beyond
    // its field, bytes that Windows-1252 leaves undefined, negative leads.
    std::string OddFile() {
        std::string bytes = test::AppointmentFileBytes(test::GenerateEntries(12, 3));
        auto at = [&](int record, std::size_t offset) -> char& {
            return bytes[static_cast<std::size_t>(record) * kRecordSize + offset];
        };
        at(1, 20) = '\x55';                                  // room behind "Vorname"
        at(2, 63) = static_cast<char>(200);                  // "Bemerkung" longer than its 100 bytes
        at(3, 1) = static_cast<char>(0x81 ^ ScrambleKey(static_cast<unsigned char>(at(3, 0))));
        at(4, 164) = '\xF9';                                 // Warnung1 -7
        at(4, 165) = '\xFF';
        at(5, 168) = '\x7F';                                 // Erreicht 127
        at(6, 371) = '\xFF';                                 // Loeschen -1
        at(7, 387) = '\x33';                                 // the last byte of the record
        return bytes;
    }
};

TEST_F(EntryTablePacked, TextsOfEveryFieldReadAsTheDecodedCellsWithoutDecodingTheRows) {
    const std::string bytes = OddFile();
    dir.write("a.tmf", bytes);
    ASSERT_EQ(LoadAppointmentFile(dir.file("a.tmf"), "Alles"), LoadResult::Loaded);
    const std::vector<Row> model = Decoded(bytes);
    std::string scratch;
    for (int r = 1; r <= EntryCount; ++r)
        for (int f = 0; f < kFieldCount; ++f)
            EXPECT_EQ(EntryTable.TextOf(f, r, scratch), model[static_cast<std::size_t>(r)][static_cast<std::size_t>(f)].asText())
                << r << "/" << f;
    for (int r = 1; r <= EntryCount; ++r) EXPECT_NE(EntryTable.packedRow(r), nullptr) << r;
    EXPECT_TRUE(EntryTable.unchangedSinceAdopted());
    // Decoded and changed rows read as they are now.
    EntryTable(Vorname, 2) = Cell("Neu");
    EntryTable(Warnung2, 3) = Cell(-4);
    EXPECT_EQ(EntryTable.packedRow(2), nullptr);
    EXPECT_EQ(EntryTable.TextOf(Vorname, 2, scratch), "Neu");
    EXPECT_EQ(EntryTable.TextOf(Warnung2, 3, scratch), "-4");
    EXPECT_EQ(EntryTable.TextOf(Vorname, EntryCount + 1, scratch), "");
    EXPECT_FALSE(EntryTable.unchangedSinceAdopted());
}

TEST_F(EntryTablePacked, RowsMoveWithoutBeingDecodedAndOnlyAnUnmovedTableStaysAsAdopted) {
    dir.write("a.tmf", test::AppointmentFileBytes(test::GenerateEntries(6, 4)));
    struct Case {
        const char* name;
        std::function<void()> change;
        bool asAdopted;
    };
    const std::vector<Case> cases = {
        {"nothing", [] {}, true},
        {"sort that moves nothing", [] { EntryTable.permuteRows({0, 1, 2, 3, 4, 5, 6}); }, true},
        {"a row swapped with itself", [] { EntryTable.swapRows(3, 3); }, true},
        {"a const look at a row", [] { (void)std::as_const(EntryTable).row(2); }, false},
        {"sort", [] { EntryTable.permuteRows({0, 6, 5, 4, 3, 2, 1}); }, false},
        {"swap", [] { EntryTable.swapRows(1, 6); }, false},
        {"one row more", [] { ResizeEntryTable(7); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(LoadAppointmentFile(dir.file("a.tmf"), "Alles"), LoadResult::Loaded);
        c.change();
        EXPECT_EQ(EntryTable.unchangedSinceAdopted(), c.asAdopted);
        int packed = 0;
        for (int r = 1; r <= 6; ++r) packed += EntryTable.packedRow(r) != nullptr;
        EXPECT_EQ(packed, std::string(c.name) == "a const look at a row" ? 5 : 6);
    }
}

TEST_F(EntryTablePacked, AFullSaveWritesPackedRowsAsDecodedOnesWouldBe) {
    // Whatever a record held, a row written without being decoded gives the
    // bytes the decoded row gives: no stray byte survives, nothing is lost.
    const std::string bytes = OddFile();
    dir.write("a.tmf", bytes);
    ASSERT_EQ(LoadAppointmentFile(dir.file("a.tmf"), "Alles"), LoadResult::Loaded);
    EntryTable.swapRows(2, 9);  // moved, still packed
    ASSERT_TRUE(SaveAppointmentFile(dir.file("packed.tmf"), "Alles", ""));
    ASSERT_EQ(LoadAppointmentFile(dir.file("a.tmf"), "Alles"), LoadResult::Loaded);
    EntryTable.swapRows(2, 9);
    for (int r = 1; r <= EntryCount; ++r) (void)EntryTable.row(r);
    ASSERT_TRUE(SaveAppointmentFile(dir.file("decoded.tmf"), "Alles", ""));
    const std::string packed = dir.read("packed.tmf");
    ASSERT_EQ(packed.size(), bytes.size());
    EXPECT_EQ(packed, dir.read("decoded.tmf"));
    EXPECT_NE(packed.substr(kRecordSize), bytes.substr(kRecordSize));  // the odd bytes were cleaned up
}

TEST_F(EntryTablePacked, ACopySharesThePackedRowsAndOutlivesTheOriginal) {
    const std::string bytes = test::AppointmentFileBytes(test::GenerateEntries(300, 5));
    dir.write("a.tmf", bytes);
    ASSERT_EQ(LoadAppointmentFile(dir.file("a.tmf"), "Alles"), LoadResult::Loaded);
    auto copy = std::make_unique<EntryTableType>(EntryTable);
    EntryTable = EntryTableType();  // the original's rows are gone
    const std::vector<Row> model = Decoded(bytes);
    for (int r = 1; r <= 300; ++r) EXPECT_EQ(copy->row(r), model[static_cast<std::size_t>(r)]) << r;
}
