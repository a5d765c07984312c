#include "EntryTable.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace tmf {

EntryTableType::EntryTableType(const EntryTableType& other)
    : pending_(other.pending_), pendingCount_(other.pendingCount_), recordSize_(other.recordSize_), decode_(other.decode_) {
    rows_.reserve(other.rows_.size());
    for (const Row* row : other.rows_) {
        Row* copy = row ? takeRow(false) : nullptr;
        if (copy) *copy = *row;
        rows_.push_back(copy);
    }
    // Only the pending rows need the records, and they are never beyond the
    // table.
    const std::size_t needed = other.rows_.size() * recordSize_;
    if (other.records_.bytes && needed > 0) {
        const std::size_t n = std::min(needed, other.records_.capacity);
        records_.bytes.reset(new unsigned char[n]);
        records_.capacity = n;
        std::memcpy(records_.bytes.get(), other.records_.bytes.get(), n);
    }
}

EntryTableType& EntryTableType::operator=(const EntryTableType& other) {
    if (this != &other) *this = EntryTableType(other);
    return *this;
}

std::size_t EntryTableType::checked(int r) const {
    if (r < 0 || static_cast<std::size_t>(r) >= rows_.size())
        throw std::out_of_range("row " + std::to_string(r) + " beyond the entry table");
    return static_cast<std::size_t>(r);
}

Row* EntryTableType::takeRow(bool cleared) const {
    constexpr std::size_t kBlockRows = 256;
    if (spare_.empty()) {
        blocks_.emplace_back(new Row[kBlockRows]);
        for (std::size_t i = kBlockRows; i-- > 0;) spare_.push_back(&blocks_.back()[i]);
    }
    Row* row = spare_.back();
    spare_.pop_back();
    if (cleared) row->fill(Cell());
    return row;
}

void EntryTableType::decodeRow(std::size_t r) const {
    // A decoded row overwrites every field, so a spare one need not be
    // cleared first.
    if (!rows_[r]) rows_[r] = takeRow(!pending_[r]);
    if (pending_[r]) {
        // A row that was there before keeps its texts' storage, so that a
        // reload over a table of the same size allocates nothing.
        decode_(records_.bytes.get() + (r - 1) * recordSize_, *rows_[r]);
        pending_[r] = 0;
        if (--pendingCount_ == 0) records_ = Records();
    }
}

void EntryTableType::decodeAll() const {
    for (std::size_t r = 0; r < rows_.size(); ++r)
        if (pending_[r] || !rows_[r]) decodeRow(r);
}

void EntryTableType::resize(int lastRow) {
    const std::size_t n = static_cast<std::size_t>(lastRow < 0 ? 0 : lastRow) + 1;
    if (n < pending_.size())
        pendingCount_ -= static_cast<std::size_t>(std::count(pending_.begin() + static_cast<std::ptrdiff_t>(n), pending_.end(), 1));
    if (pendingCount_ == 0) records_ = Records();
    for (std::size_t r = n; r < rows_.size(); ++r)
        if (rows_[r]) spare_.push_back(rows_[r]);
    rows_.resize(n);
    pending_.resize(n, 0);
}

void EntryTableType::reserve(int rows) {
    rows_.reserve(static_cast<std::size_t>(rows));
    pending_.reserve(static_cast<std::size_t>(rows));
}

void EntryTableType::swapRows(int a, int b) {
    const std::size_t x = checked(a), y = checked(b);
    at(x);
    at(y);
    std::swap(rows_[x], rows_[y]);
}

void EntryTableType::permuteRows(const std::vector<int>& order) {
    decodeAll();
    std::vector<Row*> moved(order.size());
    for (std::size_t i = 1; i < order.size(); ++i) moved[i] = rows_[static_cast<std::size_t>(order[i])];
    for (std::size_t i = 1; i < order.size(); ++i) rows_[i] = moved[i];
}

unsigned char* EntryTableType::recordBuffer(std::size_t n, std::size_t recordSize) {
    const std::size_t bytes = n * recordSize;
    nextRecordSize_ = recordSize;
    // A new buffer every time: the one of the last load may still hold rows
    // not yet decoded, and a read that fails must not touch them.
    if (next_.capacity < bytes || !next_.bytes) {
        // Not zero-filled: the reader overwrites what it uses.
        next_.bytes.reset(new unsigned char[bytes == 0 ? 1 : bytes]);
        next_.capacity = bytes;
    }
    return next_.bytes.get();
}

void EntryTableType::adoptRecords(int n, RecordDecoder decode) {
    resize(n);
    records_ = std::move(next_);
    next_ = Records();
    recordSize_ = nextRecordSize_;
    decode_ = decode;
    std::fill(pending_.begin() + 1, pending_.end(), 1);
    pendingCount_ = pending_.size() - 1;
    if (pendingCount_ == 0) records_ = Records();
}

}  // namespace tmf
