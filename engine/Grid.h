#pragma once
// The main list: a plain grid of texts owned here and shown by the main
// window through a table model, so that 32,000 rows fill in a blink.
#include <array>
#include <string>
#include <vector>

#include "Views.h"

namespace tmf {

inline constexpr int kGridColumns = 5;
inline constexpr std::array<int, kGridColumns> kGridColumnWidths = {40, 180, 180, 100, 70};

struct StringGrid {
    // Row 0 is the title row, rows 1.. show the entries of the same number.
    std::vector<std::array<std::string, kGridColumns>> cells{1};
    // Hidden rows belong to positions, not entries: a refill keeps them.
    std::vector<char> hidden{0};
    std::array<int, kGridColumns> columnWidths = kGridColumnWidths;
    // Set by a fill that changed the number of rows: entries were deleted or
    // added, the others moved to other positions, and the hidden positions
    // no longer stand for the rows a search found. The window searches again.
    bool rowsMoved = false;

    int rowCount() const { return static_cast<int>(cells.size()); }
    void setRowCount(int rows);
    std::string& cell(int column, int row) { return cells.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column)); }
};

extern StringGrid MainGrid;  // SG

// Writes the entries into the grid: row number, names, term name and the
// value chosen by the file's output choice; updates the status bar.
void FillGrid();
// After every change of the table: the entries in the file's sort order,
// and the grid showing them.
void SortAndFillGrid();
// Rows of the main list that stand for entries: the grid may be shorter
// than the table while it is being filled.
int ListedRows();
// Row count EntryCount + 1 and the standard column widths.
void SetupGrid();
// A dialog's position relative to the main window.
WindowRect PlaceBesideMain(int width, int height, int dx, int dy);

}  // namespace tmf
