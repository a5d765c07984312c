// The main list keeps its texts compactly, and filling and sorting it leave
// a loaded file's entries packed: a large file costs about its own size.
#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "Sort.h"

using namespace tmf;
using namespace tmf::test;

TEST(GridTexts, CellsReadBackAsWrittenAndUnwrittenOnesAreEmpty) {
    StringGrid grid;
    grid.setRowCount(4);
    struct Case {
        const char* name;
        std::array<std::string, kGridColumns> texts;
    };
    const std::vector<Case> cases = {
        {"plain", {"1", "Anna", "Müller", "Geburtstag", "15.06.1980"}},
        {"empty ones between", {"2", "", "Ölaf", "", "0"}},
        {"all empty", {"", "", "", "", ""}},
        {"a long text", {"3", std::string(300, 'x'), "€ „Zeichen“", "Arzt", "-12"}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& t = cases[i].texts;
        grid.setRow(static_cast<int>(i), {t[0], t[1], t[2], t[3], t[4]});
    }
    for (std::size_t i = 0; i < cases.size(); ++i)
        for (int c = 0; c < kGridColumns; ++c)
            EXPECT_EQ(grid.text(c, static_cast<int>(i)), cases[i].texts[static_cast<std::size_t>(c)])
                << cases[i].name << " column " << c;

    grid.setText(2, 1, "Neu");  // one cell; the others of the row stay
    EXPECT_EQ(grid.text(1, 1), "");
    EXPECT_EQ(grid.text(2, 1), "Neu");
    EXPECT_EQ(grid.text(4, 1), "0");
    grid.setRowCount(6);
    for (int c = 0; c < kGridColumns; ++c) EXPECT_EQ(grid.text(c, 5), "") << c;
    grid.setRowCount(2);
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_THROW((void)grid.text(0, 2), std::out_of_range);
    // A text beyond what a cell holds is cut, not spilled into the next.
    grid.setRow(1, {"1", std::string(70000, 'a'), "b", "c", "d"});
    EXPECT_EQ(grid.text(1, 1).size(), 65535u);
    EXPECT_EQ(grid.text(2, 1), "b");
}

class GridOfALoadedFile : public EngineTest {};

TEST_F(GridOfALoadedFile, SortAndFillShowEveryEntryAndDecodeNone) {
    const auto entries = GenerateEntries(57, 9);
    CurrentFile() = MakeFile("gross.tmf", entries);
    for (int output : {0, 1, 3}) {
        for (int sort : {0, 1, 2, 5, 6}) {
            SCOPED_TRACE(std::to_string(output) + "/" + std::to_string(sort));
            ASSERT_EQ(LoadAppointmentFile(CurrentFile(), "Alles"), LoadResult::Loaded);
            EntryTable(HeaderOutputChoice, 0) = Cell(output);
            EntryTable(HeaderSortChoice, 0) = Cell(sort);
            SortAndFillGrid();
            for (int r = 1; r <= 57; ++r) EXPECT_NE(EntryTable.packedRow(r), nullptr) << r;
            // What the list shows is what the decoded rows hold.
            const EntryTableType decoded = EntryTable;
            for (int r = 1; r <= 57; ++r) {
                const Row& row = decoded.row(r);
                EXPECT_EQ(MainGrid.text(0, r), std::to_string(r));
                EXPECT_EQ(MainGrid.text(1, r), row[Vorname].asText());
                EXPECT_EQ(MainGrid.text(2, r), row[Nachname].asText());
                EXPECT_EQ(MainGrid.text(3, r), row[Terminart].asText());
                const std::string date = row[TerminAm].asText();
                EXPECT_EQ(MainGrid.text(4, r),
                          output == 0 ? date : std::to_string(DateValue(date, output == 1 ? "AJ" : "NT")));
            }
        }
    }
}
