#pragma once
// The current file held in memory: row 0 is the file header, rows 1.. are the
// entries. All eleven fields of a row always move together.
//
// A loaded file's entries stay packed, as the file code packs its records
// (the bytes that carry something, without the records' empty room), until
// a row is first looked at; only then is it decoded. A load thus costs
// little more than reading the bytes, and rows that nothing looks at cost
// less memory than the file. Every access goes through this class and sees
// whole, decoded rows; the sort and the main list read single texts without
// decoding the rest (TextOf), and packed rows move without being decoded.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
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

// How the file code's packed rows read. Packed bytes never change once made.
struct PackedFormat {
    // The whole row, for the first real look at it.
    void (*decode)(const unsigned char* packed, Row& row);
    // One text field as UTF-8; other fields as their text form.
    void (*text)(const unsigned char* packed, int field, std::string& out);
    // The same as Windows-1252 bytes.
    void (*cp1252)(const unsigned char* packed, int field, std::string& out);
};

// What a reader fills, row after row, before the table adopts it. The bytes
// live in large blocks that never move, so that a row's place stays valid
// and no block is ever copied to grow.
class PackedRows {
public:
    // Room for the next row of at most `most` bytes; add ends it.
    unsigned char* room(std::size_t most);
    void add(std::size_t used);
    std::size_t count() const { return rows_.size(); }
    // Bytes of memory held.
    std::size_t capacity() const;

private:
    friend class EntryTableType;
    struct Store {
        std::vector<std::unique_ptr<unsigned char[]>> blocks;
        std::vector<std::size_t> sizes;
    };
    std::shared_ptr<Store> store_ = std::make_shared<Store>();
    std::vector<const unsigned char*> rows_;
    unsigned char* free_ = nullptr;  // in the last block
    std::size_t left_ = 0;
};

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
    // The text form of one cell, without decoding a packed row: the view is
    // of the cell itself or of scratch, valid until either changes. Empty
    // beyond the table.
    std::string_view TextOf(int field, int row, std::string& scratch) const;
    // The same as Windows-1252 bytes, the order the sort compares texts in.
    std::string_view Cp1252Of(int field, int row, std::string& scratch) const;

    // Index of the last row the table can hold.
    int lastRow() const { return static_cast<int>(rows_.size()) - 1; }
    // Keeps rows 0..n, drops the rest, adds empty rows up to n.
    void resize(int lastRow);
    void reserve(int rows);
    void swapRows(int a, int b);
    // Row i takes the former row order[i] for i in 1..order.size()-1.
    void permuteRows(const std::vector<int>& order);

    // Rows 1..n become the reader's packed rows, decoded by format when first
    // touched; the table ends at row n; row 0 stays.
    void adoptPacked(PackedRows&& rows, const PackedFormat* format);
    // Asks the processor for a packed row's bytes ahead of reading them: a
    // sorted table visits its packed rows all over memory.
    void prefetch(int r) const {
        if (r >= 0 && static_cast<std::size_t>(r) < packed_.size())
            if (const unsigned char* p = packed_[static_cast<std::size_t>(r)]) {
                __builtin_prefetch(p);
                __builtin_prefetch(p + 64);
                __builtin_prefetch(p + 128);
            }
    }
    // The packed bytes of row r while it is still packed, else nullptr.
    const unsigned char* packedRow(int r) const;
    // True while rows 1.. are the adopted rows, all still packed, in the
    // order they were adopted: the table then holds exactly what was read.
    bool unchangedSinceAdopted() const { return adoptedOrder_ && packedCount_ + 1 == rows_.size(); }
    // While unchanged, which adoption of this run the rows are (copies
    // share it); 0 otherwise.
    std::uint64_t adoption() const { return unchangedSinceAdopted() ? adoption_ : 0; }

private:
    std::size_t checked(int r) const;
    Row& at(std::size_t r) const {
        if (packed_[r] || !rows_[r]) decodeRow(r);
        return *rows_[r];
    }
    void decodeRow(std::size_t r) const;
    // A row from the blocks; rows given back keep their texts' storage.
    Row* takeRow(bool cleared) const;
    void dropPackedStore() const;

    // Null: an empty or packed row not yet made.
    mutable std::vector<Row*> rows_;
    // Rows live in blocks, so that a table of 32,000 rows is not 32,000
    // allocations; rows cut off by a resize wait in spare_ for reuse.
    mutable std::vector<std::unique_ptr<Row[]>> blocks_;
    mutable std::vector<Row*> spare_;
    // The packed bytes of each row not yet decoded, else null; they move
    // with their rows.
    mutable std::vector<const unsigned char*> packed_;
    mutable std::size_t packedCount_ = 0;
    // What the packed rows point into; shared by copies, let go once no row
    // is packed any more.
    mutable std::shared_ptr<const PackedRows::Store> store_;
    const PackedFormat* format_ = nullptr;
    bool adoptedOrder_ = false;
    std::uint64_t adoption_ = 0;
    static inline const Cell empty_{};
};

}  // namespace tmf
