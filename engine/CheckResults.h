#pragma once
// What the check run found in one file, handed to the results dialog.
// Row 0: count n, first-warning count, second-warning count, due-today
// count, file path. Rows 1..n: entry row, kind, message text, days remaining.
#include <array>
#include <string>
#include <vector>

#include "Cell.h"
#include "CheckRules.h"

namespace tmf {

class CheckResultsType {
public:
    CheckResultsType() { rows_.resize(1); }
    Cell& operator()(int column, int row) { return rows_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column)); }
    const Cell& operator()(int column, int row) const {
        return rows_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    }
    int lastRow() const { return static_cast<int>(rows_.size()) - 1; }
    void resize(int lastRow) { rows_.resize(static_cast<std::size_t>(lastRow) + 1); }
    // Exchanges columns 0..3 of two rows; column 4 stays.
    void swapRows(int a, int b) {
        for (std::size_t c = 0; c < 4; ++c) std::swap(rows_.at(static_cast<std::size_t>(a))[c], rows_.at(static_cast<std::size_t>(b))[c]);
    }

private:
    std::vector<std::array<Cell, 5>> rows_;
};

extern CheckResultsType CheckResults;

}  // namespace tmf

namespace tmf {

// Orders rows 1..n by kind, highest first, with the dialog's own Shell sort
// (rows of equal kind end where this procedure leaves them).
void SortCheckResults(CheckResultsType& results = CheckResults);

// The deletion pass of the results dialog: every due-today or passed-over
// row whose entry is flagged "bei Termin Datensatz LÖSCHEN" deletes exactly
// the entry it was found for, announcing it first. Rows behind a deleted
// entry are moved along, so later rows still name the right entry.
void DeleteFlaggedEntries();

// The summary line the dialog shows (the labels come with the check's rules).
std::string CheckSummary();

}  // namespace tmf
