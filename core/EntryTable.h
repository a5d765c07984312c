#pragma once
// The current file held in memory: row 0 is the file header, rows 1.. are the
// entries. All eleven fields of a row always move together.
#include <array>
#include <cstdint>
#include <vector>

#include "Cell.h"

namespace tmf {

inline constexpr int kFieldCount = 11;

// Entry fields (rows 1..EntryCount).
enum Field : int {
    Vorname = 0,
    Nachname = 1,
    TerminAm = 2,
    Bemerkung = 3,
    Warnung1 = 4,
    Warnung2 = 5,
    Erreicht = 6,
    TelFaxMail = 7,
    Adresse = 8,
    Loeschen = 9,
    Terminart = 10,
};

// Header fields (row 0).
enum HeaderField : int {
    HeaderCount = 0,
    HeaderOutputChoice = 1,
    HeaderSortChoice = 2,
    HeaderVersion = 3,
    HeaderReserved = 9,
    HeaderLastCheck = 10,
};

using Row = std::array<Cell, kFieldCount>;

class EntryTableType {
public:
    EntryTableType() { rows_.resize(1); }

    // Cell (field, row). Reading a row beyond the table gives an empty cell:
    // a header-only load may announce more entries than the table holds.
    const Cell& operator()(int field, int row) const {
        if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return empty_;
        return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(field)];
    }
    Cell& operator()(int field, int row) {
        return rows_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(field));
    }
    Row& row(int r) { return rows_.at(static_cast<std::size_t>(r)); }
    const Row& row(int r) const { return rows_.at(static_cast<std::size_t>(r)); }

    // Index of the last row the table can hold.
    int lastRow() const { return static_cast<int>(rows_.size()) - 1; }
    // Keeps rows 0..n, drops the rest, adds empty rows up to n.
    void resize(int lastRow) { rows_.resize(static_cast<std::size_t>(lastRow < 0 ? 0 : lastRow) + 1); }
    void reserve(int rows) { rows_.reserve(static_cast<std::size_t>(rows)); }
    void swapRows(int a, int b) { std::swap(rows_.at(static_cast<std::size_t>(a)), rows_.at(static_cast<std::size_t>(b))); }

    // Row i takes the former row order[i] for i in 1..order.size()-1.
    void permuteRows(const std::vector<int>& order) {
        std::vector<Row> moved(order.size());
        for (std::size_t i = 1; i < order.size(); ++i) moved[i] = std::move(rows_[static_cast<std::size_t>(order[i])]);
        for (std::size_t i = 1; i < order.size(); ++i) rows_[i] = std::move(moved[i]);
    }

private:
    std::vector<Row> rows_;
    static inline const Cell empty_{};
};

}  // namespace tmf
