#include "CheckResults.h"

#include "Ports.h"
#include "State.h"

namespace tmf {

CheckResultsType CheckResults;

namespace {
int RowCount(const CheckResultsType& results = CheckResults) {
    const auto n = results(0, 0).asInteger();
    return n < 0 ? 0 : (n > results.lastRow() ? results.lastRow() : static_cast<int>(n));
}
}  // namespace

void SortCheckResults(CheckResultsType& results) {
    const int n = RowCount(results);
    for (int gap = n / 2; gap > 0; gap /= 2) {
        for (int k = 1; k <= n - gap; ++k) {
            for (int j = k; j >= 1 && results(1, j).asInteger() < results(1, j + gap).asInteger(); j -= gap)
                results.swapRows(j, j + gap);
        }
    }
}

void DeleteFlaggedEntries() {
    const int n = RowCount();
    for (int i = 1; i <= n; ++i) {
        const auto kind = CheckResults(1, i).asInteger();
        const int entry = static_cast<int>(CheckResults(0, i).asInteger());
        if ((kind != DueToday && kind != PassedOver) || entry < 1 || entry > EntryCount) continue;
        if (!EntryTable(Loeschen, entry).asBoolean()) continue;
        ShowMessage(EntryTable(Vorname, entry).asText() + " " + EntryTable(Nachname, entry).asText() +
                    " , wird nun gelöscht !");
        Modified = 1;
        DeleteEntry(entry);
        for (int k = i + 1; k <= n; ++k) {
            const auto other = CheckResults(0, k).asInteger();
            if (other == entry) CheckResults(0, k) = Cell(0);  // its entry is gone
            else if (other > entry) CheckResults(0, k) = Cell(other - 1);
        }
    }
}

std::string CheckSummary() {
    FindingCounts counts;
    counts.first = static_cast<int>(CheckResults(1, 0).asInteger());
    counts.second = static_cast<int>(CheckResults(2, 0).asInteger());
    counts.dueToday = static_cast<int>(CheckResults(3, 0).asInteger());
    return CheckSummaryText(counts);
}

}  // namespace tmf
