#pragma once
// The main list: a plain grid of texts owned here and shown by the main
// window through a table model, so that 32,000 rows fill in a blink. It is
// a copy, not a view of the table: during a check run the table holds other
// files while the list goes on showing the current one.
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Views.h"

namespace tmf {

inline constexpr int kGridColumns = 5;
inline constexpr std::array<int, kGridColumns> kGridColumnWidths = {40, 180, 180, 100, 70};

class StringGrid {
public:
    // Row 0 is the title row, rows 1.. show the entries of the same number.
    int rowCount() const { return static_cast<int>(rows_.size()); }
    // New rows are empty.
    void setRowCount(int rows);
    // A cell's text, empty for one never written; valid until its row is
    // written again.
    std::string_view text(int column, int row) const;
    // All texts of a row at once, as a fill writes them.
    void setRow(int row, const std::array<std::string_view, kGridColumns>& texts);
    void setText(int column, int row, std::string_view text);

    // Hidden rows belong to positions, not entries: a refill keeps them.
    std::vector<char> hidden{0};
    std::array<int, kGridColumns> columnWidths = kGridColumnWidths;
    // Set by a fill that changed the number of rows: entries were deleted or
    // added, the others moved to other positions, and the hidden positions
    // no longer stand for the rows a search found. The window searches again.
    bool rowsMoved = false;

private:
    // Each row's five texts in one block, each after its two-byte length;
    // null for a row never written. A list of 32,000 rows is mostly short
    // names, which this holds in a third of the room of five strings.
    std::vector<std::unique_ptr<char[]>> rows_ = std::vector<std::unique_ptr<char[]>>(1);
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
