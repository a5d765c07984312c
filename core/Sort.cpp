#include "Sort.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Cp1252.h"
#include "Dates.h"
#include "Ports.h"
#include "State.h"

namespace tmf {
namespace {

// Texts compare by their Windows-1252 codes. Ranking the distinct texts of
// each field once turns every later comparison into an integer one with the
// same answer; a list of 32,000 people has far fewer distinct names.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// Rank of each row's text among the distinct texts of the field (1..n).
std::vector<std::int64_t> FieldRanks(int n, int field, std::int64_t& distinct) {
    std::unordered_map<std::string, std::int64_t, TextHash, std::equal_to<>> index;
    std::vector<std::string> texts;
    std::vector<std::int64_t> of(static_cast<std::size_t>(n) + 1, 0);
    std::string scratch;
    for (int r = 1; r <= n; ++r) {
        EntryTable.prefetch(r + 8);
        const std::string_view text = EntryTable.Cp1252Of(field, r, scratch);
        auto it = index.find(text);
        if (it == index.end()) {
            it = index.emplace(std::string(text), static_cast<std::int64_t>(texts.size())).first;
            texts.emplace_back(text);
        }
        of[static_cast<std::size_t>(r)] = it->second;
    }
    std::vector<std::int64_t> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::int64_t a, std::int64_t b) {
        return texts[static_cast<std::size_t>(a)] < texts[static_cast<std::size_t>(b)];
    });
    std::vector<std::int64_t> rank(texts.size());
    for (std::size_t i = 0; i < order.size(); ++i) rank[static_cast<std::size_t>(order[i])] = static_cast<std::int64_t>(i);
    for (int r = 1; r <= n; ++r) of[static_cast<std::size_t>(r)] = rank[static_cast<std::size_t>(of[static_cast<std::size_t>(r)])];
    distinct = static_cast<std::int64_t>(texts.size());
    return of;
}

// Equal pairs of texts get equal keys, and keys order as the pairs do. The
// rows are read without decoding them: a sort leaves a loaded file packed.
std::vector<std::int64_t> TextRanks(int n, int primary, int secondary) {
    std::int64_t distinct = 0;
    std::vector<std::int64_t> rank = FieldRanks(n, primary, distinct);
    if (secondary < 0) return rank;
    const std::vector<std::int64_t> second = FieldRanks(n, secondary, distinct);
    // Both ranks stay below the number of rows, so the product fits.
    for (std::size_t r = 1; r < rank.size(); ++r) rank[r] = rank[r] * distinct + second[r];
    return rank;
}

// Key per row such that "row a must not stand before row b" is key(a) > key(b).
std::vector<std::int64_t> SortKeys(int choice, int n) {
    if (choice == SortFirstName) return TextRanks(n, Vorname, Nachname);
    if (choice == SortLastName) return TextRanks(n, Nachname, Vorname);
    std::vector<std::int64_t> keys(static_cast<std::size_t>(n) + 1, 0);
    if (choice == SortTermThenDate) keys = TextRanks(n, Terminart, -1);
    const auto today = Today();
    const auto fallback = std::chrono::year_month_day{std::chrono::year{100}, std::chrono::January, std::chrono::day{1}};
    std::string text;
    for (int r = 1; r <= n; ++r) {
        EntryTable.prefetch(r + 8);
        const auto date = ParseDate(EntryTable.TextOf(TerminAm, r, text)).value_or(fallback);
        std::int64_t& k = keys[static_cast<std::size_t>(r)];
        switch (choice) {
            case SortSpanUp: k = DateValue(date, DateKind::AT, today); break;
            case SortSpanDown: k = -static_cast<std::int64_t>(DateValue(date, DateKind::AT, today)); break;
            case SortNextDate: k = DateValue(date, DateKind::NT, today); break;
            // The day count of "NT" stays below 2^32, under the term's rank.
            case SortTermThenDate: k = k * (std::int64_t{1} << 32) + DateValue(date, DateKind::NT, today); break;
            default: break;
        }
    }
    return keys;
}

}  // namespace

void SortEntries(int choice) {
    if (choice < 1 || choice > 6) return;
    TableOperation busy;
    const int n = LastEntryRow();
    Desktop* desktop = ThePlatform().desktop;
    if (desktop) desktop->SetMainWindowEnabled(false);

    // The procedure runs on positions; rows are moved once at the end.
    std::vector<std::int64_t> key = SortKeys(choice, n);
    std::vector<int> at(static_cast<std::size_t>(n) + 1);
    std::iota(at.begin(), at.end(), 0);
    int passes = 0;
    for (int g = n / 2; g > 0; g /= 2) ++passes;

    const int low = 1;
    int done = 0;
    for (int gap = n / 2; gap > 0;) {
        for (int i = low; i <= n - gap; ++i) {
            int j = i;
            while (key[static_cast<std::size_t>(j)] > key[static_cast<std::size_t>(j + gap)]) {
                std::swap(key[static_cast<std::size_t>(j)], key[static_cast<std::size_t>(j + gap)]);
                std::swap(at[static_cast<std::size_t>(j)], at[static_cast<std::size_t>(j + gap)]);
                j = j > gap ? j - gap : low;
            }
        }
        gap /= 2;
        ++done;
        ShowProgress("Sortiere...", static_cast<float>(done), static_cast<float>(passes));
    }
    if (n >= 2) EntryTable.permuteRows(at);
    if (desktop) desktop->SetMainWindowEnabled(true);
}

void SortEntriesByFileChoice() { SortEntries(static_cast<int>(EntryTable(HeaderSortChoice, 0).asInteger())); }

}  // namespace tmf
