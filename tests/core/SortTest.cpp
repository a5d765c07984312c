// Sorting entries. SortEntries computes its keys once and moves
// the rows at the end; it must end in exactly the order of the literal
// step-by-step procedure, which is written out again here
// (ReferenceSort) with a swap of whole rows and fresh keys at every
// comparison.
#include <gtest/gtest.h>

#include <iterator>
#include <random>

#include "AppointmentFile.h"
#include "CoreFixture.h"
#include "Cp1252.h"
#include "Dates.h"
#include "SampleFiles.h"
#include "Sort.h"
#include "State.h"

using namespace tmf;
using tmf::test::CoreTest;
using tmf::test::EntrySpec;
using tmf::test::ProgressCall;

namespace {

// Byte by byte on the Windows-1252 codes; a prefix sorts first.
int CompareTexts(const Cell& a, const Cell& b) {
    const std::string x = Utf8ToCp1252(a.asText()), y = Utf8ToCp1252(b.asText());
    for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
        const auto cx = static_cast<unsigned char>(x[i]), cy = static_cast<unsigned char>(y[i]);
        if (cx != cy) return cx < cy ? -1 : 1;
    }
    if (x.size() == y.size()) return 0;
    return x.size() < y.size() ? -1 : 1;
}

int Value(int row, const char* kind) {
    return DateValue(EntryTable(TerminAm, row).asText(), kind);
}

// The swap condition of each sort choice: row a must not stand before b.
bool WrongOrder(int choice, int a, int b) {
    switch (choice) {
        case 1: {
            const int c = CompareTexts(EntryTable(Vorname, a), EntryTable(Vorname, b));
            return c > 0 || (c == 0 && CompareTexts(EntryTable(Nachname, a), EntryTable(Nachname, b)) > 0);
        }
        case 2: {
            const int c = CompareTexts(EntryTable(Nachname, a), EntryTable(Nachname, b));
            return c > 0 || (c == 0 && CompareTexts(EntryTable(Vorname, a), EntryTable(Vorname, b)) > 0);
        }
        case 3:
            return Value(a, "AT") > Value(b, "AT");
        case 4:
            return Value(a, "AT") < Value(b, "AT");
        case 5:
            return Value(a, "NT") > Value(b, "NT");
        case 6: {
            const int c = CompareTexts(EntryTable(Terminart, a), EntryTable(Terminart, b));
            return c > 0 || (c == 0 && Value(a, "NT") > Value(b, "NT"));
        }
        default:
            return false;
    }
}

// The Shell sort, step by step, exactly as the program defines it.
std::vector<ProgressCall> ReferenceSort(int choice) {
    std::vector<ProgressCall> progress;
    if (choice < 1 || choice > 6) return progress;
    const int n = EntryCount, low = 1;
    int passes = 0;
    for (int g = n / 2; g > 0; g /= 2) ++passes;
    int done = 0;
    int gap = n / 2;
    while (gap > 0) {
        for (int i = low; i <= n - gap; ++i) {
            int j = i;
            while (true) {
                if (!WrongOrder(choice, j, j + gap)) break;
                SwapEntries(j, j + gap);
                if (j > gap)
                    j = j - gap;
                else
                    j = low;
            }
        }
        gap = gap / 2;
        ++done;
        progress.push_back({"Sortiere...", static_cast<float>(done), static_cast<float>(passes)});
    }
    return progress;
}

std::vector<Row> Rows() {
    std::vector<Row> rows;
    for (int r = 0; r <= EntryTable.lastRow(); ++r) rows.push_back(EntryTable.row(r));
    return rows;
}

// A table full of equal keys: few names, few dates, few term names, so that
// the order of equal rows shows whether every comparison and swap happened
// as the procedure says. Every row carries its own tag in Bemerkung.
void FillWithManyEqualKeys(int n, std::mt19937& rng) {
    static const std::vector<Cell> names = {Cell("Anna"),  Cell("anna"), Cell("Ann"), Cell("Bert"),
                                            Cell("Ärger"), Cell("Zoë"),  Cell(""),    Cell("Max"),
                                            Cell(5),       Cell("5")};
    static const std::vector<Cell> dates = {
        Cell("15.06.1980"), Cell("15.06.2000"), Cell("16.06.1980"), Cell("14.06.1980"), Cell("20.06.2030"),
        Cell("01.01.2000"), Cell("01.01.2010"), Cell("29.02.2020"), Cell("01.03.1999"), Cell("01.01.0100"),
        Cell("kaputt"),     Cell("1.2.2003"),   Cell("01.02.2003"), Cell(""),           Cell(20240615),
        Cell("15.06.2024"), Cell("16.06.2024"), Cell("31.12.2024")};
    static const std::vector<Cell> terms = {Cell("Arzt"),   Cell("Zahnarzt"), Cell(""),
                                            Cell("Ärztin"), Cell("arzt"),     Cell("Geburtstag")};
    auto pick = [&](const std::vector<Cell>& pool) {
        // Skewed towards the first three so that equal keys are common.
        std::size_t k = rng() % (pool.size() + 6);
        return pool[k < pool.size() ? k : k % 3];
    };
    ResizeEntryTable(n);
    EntryTable.row(0) = test::MakeHeader(n, "01.06.2024", 2, 5);
    for (int r = 1; r <= n; ++r) {
        Row& row = EntryTable.row(r);
        row[Vorname] = pick(names);
        row[Nachname] = pick(names);
        row[TerminAm] = pick(dates);
        row[Bemerkung] = Cell("#" + std::to_string(r));
        row[Warnung1] = Cell(static_cast<int>(rng() % 30));
        row[Warnung2] = Cell(std::to_string(rng() % 5));
        row[Erreicht] = Cell(static_cast<int>(rng() % 2));
        row[TelFaxMail] = Cell("tel " + std::to_string(r));
        row[Adresse] = Cell("");
        row[Loeschen] = Cell(rng() % 2 == 0);
        row[Terminart] = pick(terms);
    }
    EntryCount = n;
}

std::vector<std::string> Column(int field) {
    std::vector<std::string> out;
    for (int r = 1; r <= EntryCount; ++r) out.push_back(EntryTable(field, r).asText());
    return out;
}

}  // namespace

class Sort : public CoreTest {};

// ------------------------------------------- against the literal procedure

TEST_F(Sort, EndsInTheOrderOfTheLiteralProcedureForEveryChoiceAndSize) {
    std::mt19937 rng(20240615);
    for (int n = 0; n <= 300; ++n) {
        for (int choice = 1; choice <= 6; ++choice) {
            FillWithManyEqualKeys(n, rng);
            const std::vector<Row> start = Rows();
            const std::vector<ProgressCall> expectedProgress = ReferenceSort(choice);
            const std::vector<Row> expected = Rows();

            for (std::size_t r = 0; r < start.size(); ++r) EntryTable.row(static_cast<int>(r)) = start[r];
            platform.clearRecords();
            SortEntries(choice);
            const std::vector<Row> actual = Rows();
            ASSERT_EQ(actual.size(), expected.size());
            for (std::size_t r = 0; r < expected.size(); ++r)
                ASSERT_EQ(actual[r], expected[r])
                    << "n " << n << " choice " << choice << " row " << r << ": "
                    << actual[r][Bemerkung].asText() << " instead of " << expected[r][Bemerkung].asText();
            ASSERT_EQ(platform.progress, expectedProgress) << "n " << n << " choice " << choice;
            ASSERT_EQ(platform.mainWindowEnabled, (std::vector<bool>{false, true}));
            ASSERT_TRUE(platform.messages.empty());
        }
    }
}

TEST_F(Sort, EndsInTheOrderOfTheLiteralProcedureWithOtherTodays) {
    std::mt19937 rng(7);
    const int todays[][3] = {{2024, 2, 29}, {2023, 3, 1}, {2023, 2, 28}, {2000, 1, 1}, {2099, 12, 31}};
    for (const auto& t : todays) {
        platform.setToday(t[0], t[1], t[2]);
        for (int n : {17, 64, 129, 250}) {
            for (int choice = 3; choice <= 6; ++choice) {
                FillWithManyEqualKeys(n, rng);
                const std::vector<Row> start = Rows();
                ReferenceSort(choice);
                const std::vector<Row> expected = Rows();
                for (std::size_t r = 0; r < start.size(); ++r) EntryTable.row(static_cast<int>(r)) = start[r];
                SortEntries(choice);
                ASSERT_EQ(Rows(), expected)
                    << t[0] << "-" << t[1] << "-" << t[2] << " n " << n << " choice " << choice;
            }
        }
    }
}

TEST_F(Sort, EndsInTheOrderOfTheLiteralProcedureOnALargeTable) {
    std::mt19937 rng(99);
    for (int choice = 1; choice <= 6; ++choice) {
        FillWithManyEqualKeys(1500, rng);
        const std::vector<Row> start = Rows();
        ReferenceSort(choice);
        const std::vector<Row> expected = Rows();
        for (std::size_t r = 0; r < start.size(); ++r) EntryTable.row(static_cast<int>(r)) = start[r];
        SortEntries(choice);
        ASSERT_EQ(Rows(), expected) << "choice " << choice;
    }
}

TEST_F(Sort, RowsAfterTheCountAreNeitherSortedNorTouched) {
    std::mt19937 rng(3);
    for (int choice = 1; choice <= 6; ++choice) {
        FillWithManyEqualKeys(40, rng);
        for (int k = 0; k < 5; ++k)
            DeleteEntry(1 + static_cast<int>(rng() % static_cast<unsigned>(EntryCount)));
        ASSERT_EQ(EntryCount, 35);
        const std::vector<Row> start = Rows();
        ReferenceSort(choice);
        const std::vector<Row> expected = Rows();
        for (std::size_t r = 0; r < start.size(); ++r) EntryTable.row(static_cast<int>(r)) = start[r];
        SortEntries(choice);
        ASSERT_EQ(Rows(), expected) << "choice " << choice;
        for (int r = 36; r <= 40; ++r) EXPECT_EQ(EntryTable.row(r), start[static_cast<std::size_t>(r)]);
    }
}

// -------------------------------------------------- edge cases

TEST_F(Sort, ChoiceZeroOrSevenLeavesTheOrder) {
    test::LoadIntoState({{"Max", "Zeh"}, {"Anna", "Ober"}, {"Max", "Adam"}});
    for (int choice : {0, 7, -1, 100}) {
        SortEntries(choice);
        EXPECT_EQ(Column(Vorname), (std::vector<std::string>{"Max", "Anna", "Max"})) << choice;
    }
    EXPECT_TRUE(platform.progress.empty());
}

TEST_F(Sort, FirstNameThenLastName) {
    test::LoadIntoState({{"Max", "Zeh"}, {"Anna", "Ober"}, {"Max", "Adam"}});
    SortEntries(SortFirstName);
    EXPECT_EQ(Column(Vorname), (std::vector<std::string>{"Anna", "Max", "Max"}));
    EXPECT_EQ(Column(Nachname), (std::vector<std::string>{"Ober", "Adam", "Zeh"}));
}

TEST_F(Sort, LastNameThenFirstName) {
    test::LoadIntoState({{"Max", "Zeh"}, {"Anna", "Ober"}, {"Max", "Adam"}, {"Bea", "Ober"}});
    SortEntries(SortLastName);
    EXPECT_EQ(Column(Nachname), (std::vector<std::string>{"Adam", "Ober", "Ober", "Zeh"}));
    EXPECT_EQ(Column(Vorname), (std::vector<std::string>{"Max", "Anna", "Bea", "Max"}));
}

TEST_F(Sort, CapitalsComeBeforeSmallLettersAndUmlautsAfterZ) {
    test::LoadIntoState({{"anna"}, {"Bert"}, {"Ärger"}, {"zorn"}, {"Zorn"}, {"Ann"}});
    SortEntries(SortFirstName);
    EXPECT_EQ(Column(Vorname), (std::vector<std::string>{"Ann", "Bert", "Zorn", "anna", "zorn", "Ärger"}));
}

TEST_F(Sort, WindowsCodesNotUtf8BytesDecide) {
    // € is 0x80 in Windows-1252 but starts with 0xE2 in UTF-8; Ä is 0xC4.
    test::LoadIntoState({{"Ärger"}, {"€uro"}, {"Zeh"}});
    SortEntries(SortFirstName);
    EXPECT_EQ(Column(Vorname), (std::vector<std::string>{"Zeh", "€uro", "Ärger"}));
}

TEST_F(Sort, NextAnniversaryFirst) {
    test::LoadIntoState(
        {{"gestern", "", "14.06.1980"}, {"morgen", "", "16.06.1980"}, {"heute", "", "15.06.1980"}});
    SortEntries(SortNextDate);
    EXPECT_EQ(Column(Vorname), (std::vector<std::string>{"heute", "morgen", "gestern"}));
}

TEST_F(Sort, SpanAscendingPutsTheLatestDateFirstAndDescendingTheEarliest) {
    test::LoadIntoState({{"2000", "", "01.01.2000"}, {"2010", "", "01.01.2010"}});
    SortEntries(SortSpanUp);
    EXPECT_EQ(Column(Vorname), (std::vector<std::string>{"2010", "2000"}));
    SortEntries(SortSpanDown);
    EXPECT_EQ(Column(Vorname), (std::vector<std::string>{"2000", "2010"}));
}

TEST_F(Sort, TermNameThenNextAnniversary) {
    test::LoadIntoState({{"z3", "", "14.06.1980", "Zahnarzt"},
                         {"a2", "", "16.06.1980", "Arzt"},
                         {"z1", "", "15.06.1990", "Zahnarzt"},
                         {"a3", "", "14.06.1970", "Arzt"},
                         {"a1", "", "15.06.1980", "Arzt"},
                         {"z2", "", "20.06.2030", "Zahnarzt"}});
    SortEntries(SortTermThenDate);
    EXPECT_EQ(Column(Vorname), (std::vector<std::string>{"a1", "a2", "a3", "z1", "z3", "z2"}));
}

TEST_F(Sort, OneEntryIsLeftAloneWithoutProgress) {
    test::LoadIntoState({{"Einzig"}}, "01.06.2024");
    const auto header = EntryTable.row(0);
    for (int choice = 1; choice <= 6; ++choice) SortEntries(choice);
    EXPECT_EQ(Column(Vorname), std::vector<std::string>{"Einzig"});
    EXPECT_EQ(EntryTable.row(0), header);
    EXPECT_TRUE(platform.progress.empty());
}

TEST_F(Sort, EmptyFileChangesNothing) {
    test::LoadIntoState({});
    SortEntries(SortNextDate);
    EXPECT_EQ(EntryCount, 0);
    EXPECT_EQ(EntryTable.lastRow(), 0);
    EXPECT_TRUE(platform.progress.empty());
}

TEST_F(Sort, TenEntriesReportThreePasses) {
    test::LoadIntoState(test::GenerateEntries(10));
    SortEntries(SortLastName);
    EXPECT_EQ(platform.progress, (std::vector<ProgressCall>{
                                     {"Sortiere...", 1, 3}, {"Sortiere...", 2, 3}, {"Sortiere...", 3, 3}}));
}

TEST_F(Sort, ProgressIsOncePerPassWithTheNumberOfPasses) {
    const std::pair<int, int> sizes[] = {{2, 1}, {3, 1}, {4, 2}, {7, 2}, {8, 3}, {15, 3}, {16, 4}, {300, 8}};
    for (auto [n, passes] : sizes) {
        platform.clearRecords();
        test::LoadIntoState(test::GenerateEntries(n));
        SortEntries(SortFirstName);
        ASSERT_EQ(platform.progress.size(), static_cast<std::size_t>(passes)) << n;
        for (int k = 0; k < passes; ++k)
            EXPECT_EQ(platform.progress[static_cast<std::size_t>(k)],
                      (ProgressCall{"Sortiere...", static_cast<float>(k + 1), static_cast<float>(passes)}))
                << n;
    }
}

TEST_F(Sort, HeaderRowNeverMoves) {
    test::LoadIntoState(test::GenerateEntries(50), "01.06.2024");
    EntryTable(HeaderSortChoice, 0) = Cell("5");
    const auto header = EntryTable.row(0);
    for (int choice = 1; choice <= 6; ++choice) {
        SortEntries(choice);
        EXPECT_EQ(EntryTable.row(0), header);
    }
}

TEST_F(Sort, MainWindowIsDisabledWhileSorting) {
    test::LoadIntoState(test::GenerateEntries(5));
    SortEntries(SortNextDate);
    EXPECT_EQ(platform.mainWindowEnabled, (std::vector<bool>{false, true}));
}

TEST_F(Sort, SortedKeysAreInOrderForEveryChoice) {
    test::LoadIntoState(test::GenerateEntries(500, 11));
    SortEntries(SortNextDate);
    for (int r = 1; r < EntryCount; ++r) ASSERT_LE(Value(r, "NT"), Value(r + 1, "NT"));
    SortEntries(SortSpanUp);
    for (int r = 1; r < EntryCount; ++r) ASSERT_LE(Value(r, "AT"), Value(r + 1, "AT"));
    SortEntries(SortSpanDown);
    for (int r = 1; r < EntryCount; ++r) ASSERT_GE(Value(r, "AT"), Value(r + 1, "AT"));
    for (int choice : {1, 2, 6}) {
        SortEntries(choice);
        for (int r = 1; r < EntryCount; ++r) ASSERT_FALSE(WrongOrder(choice, r, r + 1)) << choice << " " << r;
    }
}

TEST_F(Sort, ALoadedFileSortsAsItsDecodedRowsWouldWithoutDecodingThem) {
    // Š is 0x8A in Windows-1252 but U+0160 in UTF-8, after Ö (U+00D6): the
    // rows read straight from the file must compare by the code page too.
    static const char* names[] = {"Šimon", "Ölaf", "Zoë", "€uro", "anna", "Anna", "", "Ann", "Bert"};
    std::mt19937 rng(5);
    std::vector<test::EntrySpec> entries;
    for (int i = 0; i < 400; ++i) {
        test::EntrySpec e;
        e.vorname = names[rng() % std::size(names)];
        e.nachname = names[rng() % std::size(names)];
        e.terminart = names[rng() % 3];
        e.termin = "0" + std::to_string(1 + rng() % 9) + ".0" + std::to_string(1 + rng() % 9) + ".19" +
                   std::to_string(10 + rng() % 90);
        e.bemerkung = "#" + std::to_string(i + 1);
        entries.push_back(e);
    }
    const std::string path = dir.file("a.tmf");
    dir.write("a.tmf", test::AppointmentFileBytes(entries));
    for (int choice = 1; choice <= 6; ++choice) {
        test::LoadIntoState(entries);
        ReferenceSort(choice);
        const std::vector<std::string> expected = Column(Bemerkung);
        ASSERT_EQ(LoadAppointmentFile(path, "Alles"), LoadResult::Loaded);
        SortEntries(choice);
        for (int r = 1; r <= EntryCount; ++r) ASSERT_NE(EntryTable.packedRow(r), nullptr) << r;
        EXPECT_EQ(Column(Bemerkung), expected) << "choice " << choice;
    }
}
