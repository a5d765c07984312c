#pragma once
// The current file held in memory: row 0 is the file header, rows 1.. are the
// entries. All eleven fields of a row always move together.
//
// A loaded file's entries stay the records read from the file until a row is
// first looked at; only then is it decoded. A load thus costs little more
// than reading the bytes, and rows that nothing looks at cost nothing more.
// Every access goes through this class and sees whole, decoded rows.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
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
// Turns one stored record into a row.
using RecordDecoder = void (*)(const unsigned char* record, Row& row);

class EntryTableType {
public:
    EntryTableType() { resize(0); }
    EntryTableType(const EntryTableType& other);
    EntryTableType& operator=(const EntryTableType& other);
    EntryTableType(EntryTableType&&) noexcept = default;
    EntryTableType& operator=(EntryTableType&&) noexcept = default;

    // Cell (field, row). Reading a row beyond the table gives an empty cell:
    // a header-only load may announce more entries than the table holds.
    const Cell& operator()(int field, int row) const {
        if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return empty_;
        return at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(field));
    }
    Cell& operator()(int field, int row) { return at(checked(row)).at(static_cast<std::size_t>(field)); }
    Row& row(int r) { return at(checked(r)); }
    const Row& row(int r) const { return at(checked(r)); }

    // Index of the last row the table can hold.
    int lastRow() const { return static_cast<int>(rows_.size()) - 1; }
    // Keeps rows 0..n, drops the rest, adds empty rows up to n.
    void resize(int lastRow);
    void reserve(int rows);
    void swapRows(int a, int b);
    // Row i takes the former row order[i] for i in 1..order.size()-1.
    void permuteRows(const std::vector<int>& order);

    // For the file reader: room for n records of recordSize bytes to read
    // into. The table itself is unchanged until adoptRecords, so a read that
    // fails leaves it as it was.
    unsigned char* recordBuffer(std::size_t n, std::size_t recordSize);
    // Rows 1..n become the first n records of that buffer, decoded by decode
    // when first touched; the table ends at row n; row 0 stays.
    void adoptRecords(int n, RecordDecoder decode);

private:
    struct Records {
        std::unique_ptr<unsigned char[]> bytes;
        std::size_t capacity = 0;
    };

    std::size_t checked(int r) const;
    Row& at(std::size_t r) const {
        if (pending_[r] || !rows_[r]) decodeRow(r);
        return *rows_[r];
    }
    void decodeRow(std::size_t r) const;
    void decodeAll() const;
    // A row from the blocks; rows given back keep their texts' storage.
    Row* takeRow(bool cleared) const;

    // Null: an empty row not yet made. A pending row r is record r - 1 of
    // records_; rows only move once decoded, so that stays true.
    mutable std::vector<Row*> rows_;
    // Rows live in blocks, so that a table of 32,000 rows is not 32,000
    // allocations; rows cut off by a resize wait in spare_ for reuse.
    mutable std::vector<std::unique_ptr<Row[]>> blocks_;
    mutable std::vector<Row*> spare_;
    mutable std::vector<std::uint8_t> pending_;
    mutable std::size_t pendingCount_ = 0;
    // What the pending rows are decoded from; let go once none is left.
    mutable Records records_;
    Records next_;  // what the reader fills before adoptRecords
    std::size_t recordSize_ = 0;
    std::size_t nextRecordSize_ = 0;
    RecordDecoder decode_ = nullptr;
    static inline const Cell empty_{};
};

}  // namespace tmf
