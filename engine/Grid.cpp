#include "Grid.h"

#include "Dates.h"
#include "Funky.h"
#include "Ports.h"
#include "Sort.h"
#include "State.h"
#include "Views.h"

namespace tmf {

StringGrid MainGrid;

void StringGrid::setRowCount(int rows) {
    if (rows < 1) rows = 1;
    cells.resize(static_cast<std::size_t>(rows));
    hidden.resize(static_cast<std::size_t>(rows), 0);
}

void FillGrid() {
    TableOperation busy;
    MainView* view = TheViews().main;
    if (view) {
        view->SetStatusPanel(0, CurrentFile());
        view->SetStatusPanel(2, "Einträge: 0");
    }
    MainGrid.cell(4, 0).clear();
    const int n = LastEntryRow();
    const bool rowsMoved = MainGrid.rowCount() != n + 1;
    MainGrid.setRowCount(n + 1);
    if (view) view->GridChanged();

    const auto choice = EntryTable(HeaderOutputChoice, 0).toInteger().value_or(-1);
    const auto today = Today();
    for (int r = 1; r <= n; ++r) {
        auto& row = MainGrid.cells[static_cast<std::size_t>(r)];
        row[0] = std::to_string(r);
        row[1] = EntryTable(Vorname, r).asText();
        row[2] = EntryTable(Nachname, r).asText();
        row[3] = EntryTable(Terminart, r).asText();
        const Cell& date = EntryTable(TerminAm, r);
        if (choice == 0) {
            row[4] = date.asText();
        } else if (choice >= 1 && choice <= 3) {
            const std::string text = date.asText();
            const auto parsed = ParseDate(text);
            const DateKind kind = choice == 1 ? DateKind::AJ : choice == 2 ? DateKind::AT : DateKind::NT;
            // Years or days since a date whose year nobody knows would be made up.
            if (parsed && kind != DateKind::NT && IsYearless(*parsed)) {
                row[4].clear();
            } else {
                row[4] = std::to_string(parsed ? DateValue(*parsed, kind, today) : DateValue(text, choice == 1 ? "AJ" : choice == 2 ? "AT" : "NT"));
            }
        }
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
