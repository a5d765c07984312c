#include "Sort.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "Cp1252.h"
#include "Dates.h"
#include "Ports.h"
#include "State.h"

namespace tmf {
namespace {

// Texts compare by their Windows-1252 codes. Ranking the distinct texts once
// turns every later comparison into an integer one with the same answer.
std::vector<std::int64_t> TextRanks(int n, int primary, int secondary) {
    using Key = std::pair<std::string, std::string>;
    std::vector<Key> keys(static_cast<std::size_t>(n) + 1);
    for (int r = 1; r <= n; ++r) {
        Key& k = keys[static_cast<std::size_t>(r)];
        k.first = Utf8ToCp1252(EntryTable(primary, r).asText());
        if (secondary >= 0) k.second = Utf8ToCp1252(EntryTable(secondary, r).asText());
    }
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 1);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
    std::vector<std::int64_t> rank(static_cast<std::size_t>(n) + 1, 0);
    std::int64_t current = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && keys[order[i]] != keys[order[i - 1]]) ++current;
        rank[static_cast<std::size_t>(order[i])] = current;
    }
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
    for (int r = 1; r <= n; ++r) {
        const Cell& cell = EntryTable(TerminAm, r);
        const auto date = ParseDate(cell.textIf() ? std::string_view(*cell.textIf()) : cell.asText()).value_or(fallback);
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
