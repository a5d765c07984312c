#include "Grid.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "Dates.h"
#include "Funky.h"
#include "Ports.h"
#include "Sort.h"
#include "State.h"
#include "Views.h"

namespace tmf {

StringGrid MainGrid;

namespace {
using Length = std::uint16_t;
constexpr std::size_t kMostBytes = 0xFFFF;
}  // namespace

void StringGrid::setRowCount(int rows) {
    if (rows < 1) rows = 1;
    rows_.resize(static_cast<std::size_t>(rows));
    hidden.resize(static_cast<std::size_t>(rows), 0);
}

std::string_view StringGrid::text(int column, int row) const {
    const char* p = rows_.at(static_cast<std::size_t>(row)).get();
    if (!p || column < 0 || column >= kGridColumns) return {};
    Length length = 0;
    for (int c = 0;; ++c) {
        std::memcpy(&length, p, sizeof length);
        p += sizeof length;
        if (c == column) return {p, length};
        p += length;
    }
}

void StringGrid::setRow(int row, const std::array<std::string_view, kGridColumns>& texts) {
    auto& slot = rows_.at(static_cast<std::size_t>(row));
    std::size_t size = 0;
    for (std::string_view t : texts) size += sizeof(Length) + std::min(t.size(), kMostBytes);
    std::unique_ptr<char[]> block(new char[size]);
    char* p = block.get();
    for (std::string_view t : texts) {
        const auto length = static_cast<Length>(std::min(t.size(), kMostBytes));
        std::memcpy(p, &length, sizeof length);
        p += sizeof length;
        std::memcpy(p, t.data(), length);
        p += length;
    }
    slot = std::move(block);
}

void StringGrid::setText(int column, int row, std::string_view text) {
    std::array<std::string, kGridColumns> texts;
    for (int c = 0; c < kGridColumns; ++c) texts[static_cast<std::size_t>(c)] = this->text(c, row);
    texts.at(static_cast<std::size_t>(column)) = text;
    setRow(row, {texts[0], texts[1], texts[2], texts[3], texts[4]});
}

void FillGrid() {
    TableOperation busy;
    MainView* view = TheViews().main;
    if (view) {
        view->SetStatusPanel(0, CurrentFile());
        view->SetStatusPanel(2, "Einträge: 0");
    }
    MainGrid.setText(4, 0, "");
    const int n = LastEntryRow();
    const bool rowsMoved = MainGrid.rowCount() != n + 1;
    MainGrid.setRowCount(n + 1);
    if (view) view->GridChanged();

    const auto choice = EntryTable(HeaderOutputChoice, 0).toInteger().value_or(-1);
    const auto today = Today();
    // The texts are read straight from the table's packed rows: a fill
    // decodes no entry, so a large file stays as small as it was loaded.
    std::string number, first, last, term, date, value;
    for (int r = 1; r <= n; ++r) {
        EntryTable.prefetch(r + 8);
        number = std::to_string(r);
        const std::string_view text = EntryTable.TextOf(TerminAm, r, date);
        if (choice == 0) {
            value = text;
        } else if (choice >= 1 && choice <= 3) {
            const auto parsed = ParseDate(text);
            const DateKind kind = choice == 1 ? DateKind::AJ : choice == 2 ? DateKind::AT : DateKind::NT;
            // Years or days since a date whose year nobody knows would be made up.
            if (parsed && kind != DateKind::NT && IsYearless(*parsed)) {
                value.clear();
            } else {
                value = std::to_string(parsed ? DateValue(*parsed, kind, today) : DateValue(text, choice == 1 ? "AJ" : choice == 2 ? "AT" : "NT"));
            }
        } else {
            value = MainGrid.text(4, r);  // left as it was
        }
        MainGrid.setRow(r, {number, EntryTable.TextOf(Vorname, r, first), EntryTable.TextOf(Nachname, r, last),
                            EntryTable.TextOf(Terminart, r, term), value});
        if (r % 10 == 0 || r == n) {
            if (view) view->SetStatusPanel(2, "Einträge: " + std::to_string(r));
            ShowProgress("Ausgabe...", static_cast<float>(r), static_cast<float>(n));
            ProcessPendingMessages();
        }
    }
    if (view) {
        if (rowsMoved) MainGrid.rowsMoved = true;
        view->GridChanged();
        view->SetEnabled(true);
    }
}

void SetupGrid() {
    const int n = LastEntryRow();
    MainGrid.setRowCount(n + 1);
    MainGrid.columnWidths = kGridColumnWidths;
    if (TheViews().main) TheViews().main->GridChanged();
}

void SortAndFillGrid() {
    SortEntriesByFileChoice();
    FillGrid();
}

int ListedRows() {
    const int gridRows = MainGrid.rowCount() - 1;
    return EntryCount < gridRows ? EntryCount : gridRows;
}

WindowRect PlaceBesideMain(int width, int height, int dx, int dy) {
    WindowRect main = TheViews().main ? TheViews().main->Geometry() : WindowRect{};
    return {main.left + dx, main.top + dy, width, height};
}

}  // namespace tmf
