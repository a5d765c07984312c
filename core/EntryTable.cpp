#include "EntryTable.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "Cp1252.h"

namespace tmf {

namespace {
// Blocks grow from small (a file of five entries) to this; larger blocks
// would leave more unused at the end of the last one.
constexpr std::size_t kFirstBlock = 16 * 1024;
constexpr std::size_t kLargestBlock = 1024 * 1024;
}  // namespace

unsigned char* PackedRows::room(std::size_t most) {
    if (left_ < most) {
        const std::size_t last = store_->sizes.empty() ? 0 : store_->sizes.back();
        const std::size_t size = std::max(most, std::clamp(last * 2, kFirstBlock, kLargestBlock));
        // Not zero-filled: the reader writes what it uses.
        store_->blocks.emplace_back(new unsigned char[size]);
        store_->sizes.push_back(size);
        free_ = store_->blocks.back().get();
        left_ = size;
    }
    return free_;
}

void PackedRows::add(std::size_t used) {
    rows_.push_back(free_);
    free_ += used;
    left_ -= used;
}

std::size_t PackedRows::capacity() const {
    std::size_t bytes = 0;
    for (std::size_t size : store_->sizes) bytes += size;
    return bytes;
}

EntryTableType::EntryTableType(const EntryTableType& other)
    : packed_(other.packed_), packedCount_(other.packedCount_), store_(other.store_), format_(other.format_),
      adoptedOrder_(other.adoptedOrder_), adoption_(other.adoption_) {
    rows_.reserve(other.rows_.size());
    for (const Row* row : other.rows_) {
        Row* copy = row ? takeRow(false) : nullptr;
        if (copy) *copy = *row;
        rows_.push_back(copy);
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

void EntryTableType::dropPackedStore() const {
    if (packedCount_ == 0) store_.reset();
}

void EntryTableType::decodeRow(std::size_t r) const {
    // A decoded row overwrites every field, so a spare one need not be
    // cleared first.
    if (!rows_[r]) rows_[r] = takeRow(!packed_[r]);
    if (packed_[r]) {
        // A row that was there before keeps its texts' storage, so that a
        // reload over a table of the same size allocates little.
        format_->decode(packed_[r], *rows_[r]);
        packed_[r] = nullptr;
        --packedCount_;
        dropPackedStore();
    }
}

std::string_view EntryTableType::TextOf(int field, int row, std::string& scratch) const {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return {};
    const auto r = static_cast<std::size_t>(row);
    if (const unsigned char* packed = packed_[r]) {
        format_->text(packed, field, scratch);
        return scratch;
    }
    if (!rows_[r]) return {};
    const Cell& cell = rows_[r]->at(static_cast<std::size_t>(field));
    if (const std::string* text = cell.textIf()) return *text;
    scratch = cell.asText();
    return scratch;
}

std::string_view EntryTableType::Cp1252Of(int field, int row, std::string& scratch) const {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return {};
    if (const unsigned char* packed = packed_[static_cast<std::size_t>(row)]) {
        format_->cp1252(packed, field, scratch);
        return scratch;
    }
    std::string utf8;
    scratch = Utf8ToCp1252(TextOf(field, row, utf8));
    return scratch;
}

void EntryTableType::resize(int lastRow) {
    const std::size_t n = static_cast<std::size_t>(lastRow < 0 ? 0 : lastRow) + 1;
    if (n != rows_.size()) adoptedOrder_ = false;
    for (std::size_t r = n; r < rows_.size(); ++r) {
        if (packed_[r]) --packedCount_;
        if (rows_[r]) spare_.push_back(rows_[r]);
    }
    rows_.resize(n);
    packed_.resize(n, nullptr);
    dropPackedStore();
}

void EntryTableType::reserve(int rows) {
    rows_.reserve(static_cast<std::size_t>(rows));
    packed_.reserve(static_cast<std::size_t>(rows));
}

void EntryTableType::swapRows(int a, int b) {
    const std::size_t x = checked(a), y = checked(b);
    if (x == y) return;
    std::swap(rows_[x], rows_[y]);
    std::swap(packed_[x], packed_[y]);
    adoptedOrder_ = false;
}

void EntryTableType::permuteRows(const std::vector<int>& order) {
    std::vector<Row*> rows(order.size());
    std::vector<const unsigned char*> packed(order.size());
    bool same = true;
    for (std::size_t i = 1; i < order.size(); ++i) {
        const auto from = static_cast<std::size_t>(order[i]);
        same = same && from == i;
        rows[i] = rows_[from];
        packed[i] = packed_[from];
    }
    if (same) return;
    for (std::size_t i = 1; i < order.size(); ++i) {
        rows_[i] = rows[i];
        packed_[i] = packed[i];
    }
    adoptedOrder_ = false;
}

void EntryTableType::adoptPacked(PackedRows&& rows, const PackedFormat* format) {
    const auto n = static_cast<int>(rows.count());
    // The rows of the table before become spare, their texts' storage kept.
    resize(0);
    resize(n);
    for (std::size_t r = 1; r < rows_.size(); ++r) packed_[r] = rows.rows_[r - 1];
    packedCount_ = rows_.size() - 1;
    store_ = packedCount_ > 0 ? std::move(rows.store_) : nullptr;
    format_ = format;
    adoptedOrder_ = true;
    static std::uint64_t adoptions = 0;
    adoption_ = ++adoptions;
    rows = PackedRows();
}

const unsigned char* EntryTableType::packedRow(int r) const {
    if (r < 0 || static_cast<std::size_t>(r) >= rows_.size()) return nullptr;
    return packed_[static_cast<std::size_t>(r)];
}

}  // namespace tmf
