#pragma once
// What the check run found in one file, handed to the results dialog.
// Row 0: count n, first-warning count, second-warning count, due-today
// count, file path. Rows 1..n: entry row, kind, message text, days remaining.
#include <array>
#include <vector>

#include "Cell.h"

namespace tmf {

enum CheckKind : int { FirstWarning = 1, SecondWarning = 2, DueToday = 3, PassedOver = 4 };

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
