// The results list after the check: its order in the dialog, and the
// deletion pass of the dialog's button.
#include <gtest/gtest.h>

#include "EngineFixture.h"

using namespace tmf;
using namespace tmf::test;

class CheckResultsList : public EngineTest {
protected:
    // Entries "P1".."Pn"; the ones in flagged carry the delete flag.
    void Entries(int n, std::initializer_list<int> flagged) {
        std::vector<EntrySpec> entries;
        for (int i = 1; i <= n; ++i) {
            EntrySpec e{.vorname = "P" + std::to_string(i), .nachname = "N" + std::to_string(i)};
            for (int f : flagged) e.loeschen = e.loeschen || f == i;
            entries.push_back(e);
        }
        LoadIntoState(entries, "14.06.2024");
    }
    // Result rows of (entry, kind), as the check run would leave them.
    static void Rows(std::initializer_list<std::pair<int, int>> rows) {
        CheckResults = CheckResultsType();
        CheckResults.resize(static_cast<int>(rows.size()));
        CheckResults(0, 0) = Cell(static_cast<int>(rows.size()));
        CheckResults(4, 0) = Cell("/daten/x.tmf");
        int r = 0;
        for (const auto& [entry, kind] : rows) {
            ++r;
            CheckResults(0, r) = Cell(entry);
            CheckResults(1, r) = Cell(kind);
            CheckResults(2, r) = Cell("text " + std::to_string(entry));
            CheckResults(3, r) = Cell(kind == PassedOver ? Cell() : Cell(entry * 10));
        }
    }
    static std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (int r = 1; r <= EntryCount; ++r) names.push_back(EntryTable(Vorname, r).asText());
        return names;
    }
};

TEST_F(CheckResultsList, TwoFlaggedDueEntriesAreBothDeletedAndNoOther) {
    Entries(9, {3, 5, 7});
    Rows({{3, DueToday}, {5, FirstWarning}, {7, DueToday}});
    SortCheckResults();
    DeleteFlaggedEntries();

    EXPECT_EQ(EntryCount, 7);
    EXPECT_EQ(Names(), (std::vector<std::string>{"P1", "P2", "P4", "P5", "P6", "P8", "P9"}));
    auto texts = messages();
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts,
              (std::vector<std::string>{"P3 N3 , wird nun gelöscht !", "P7 N7 , wird nun gelöscht !"}));
    EXPECT_EQ(Modified, 1);
}

TEST_F(CheckResultsList, LaterRowsStillNameTheirEntryAfterAnEarlierDeletion) {
    Entries(9, {2, 6, 8});
    // In this order entry 2 goes first, so the rows behind it must move up.
    Rows({{2, PassedOver}, {8, DueToday}, {6, DueToday}});
    DeleteFlaggedEntries();

    EXPECT_EQ(Names(), (std::vector<std::string>{"P1", "P3", "P4", "P5", "P7", "P9"}));
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"P2 N2 , wird nun gelöscht !", "P8 N8 , wird nun gelöscht !",
                                        "P6 N6 , wird nun gelöscht !"}));
}

TEST_F(CheckResultsList, WarningRowsOfFlaggedEntriesDeleteNothing) {
    Entries(4, {1, 2, 3, 4});
    Rows({{1, FirstWarning}, {2, SecondWarning}});
    DeleteFlaggedEntries();
    EXPECT_EQ(EntryCount, 4);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(Modified, 0);
}

TEST_F(CheckResultsList, AnEntryWithAWarningAndAPassedOverRowIsDeletedOnce) {
    Entries(3, {2});
    Rows({{2, PassedOver}, {2, FirstWarning}, {3, FirstWarning}});
    DeleteFlaggedEntries();
    EXPECT_EQ(Names(), (std::vector<std::string>{"P1", "P3"}));
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(CheckResultsList, SortingPutsPassedOverFirstThenTodayThenSecondThenFirstWarnings) {
    Rows({{1, FirstWarning},
          {2, SecondWarning},
          {3, DueToday},
          {4, PassedOver},
          {5, FirstWarning},
          {6, DueToday},
          {7, SecondWarning}});
    SortCheckResults();

    EXPECT_EQ(Kinds(CheckResults), (std::vector<int>{4, 3, 3, 2, 2, 1, 1}));
    for (int r = 1; r <= 7; ++r) {
        // Each row moves whole: entry, text and days stay together.
        const auto entry = CheckResults(0, r).asInteger();
        EXPECT_EQ(CheckResults(2, r).asText(), "text " + std::to_string(entry));
        if (CheckResults(1, r).asInteger() != PassedOver) {
            EXPECT_EQ(CheckResults(3, r).asInteger(), entry * 10);
        }
    }
    EXPECT_EQ(CheckResults(4, 0).asText(), "/daten/x.tmf");
    EXPECT_EQ(CheckResults(0, 0).asInteger(), 7);
}

TEST_F(CheckResultsList, SummaryCountsDueTodayAndBothKindsOfWarning) {
    Rows({{1, DueToday}});
    CheckResults(1, 0) = Cell(3);
    CheckResults(2, 0) = Cell(2);
    CheckResults(3, 0) = Cell(2);
    EXPECT_EQ(CheckSummary(), "2 Termin(e) , 5 Warnung(en)");
}
