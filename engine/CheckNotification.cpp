#include "CheckNotification.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "CheckResults.h"
#include "FileIo.h"
#include "State.h"

namespace tmf {

std::optional<Notification> ResultsNotification() {
    // The window sorts its rows as it comes up; a copy sorted the same way
    // lists them in its order without touching what the window is handed.
    CheckResultsType rows = CheckResults;
    SortCheckResults(rows);
    const int n = static_cast<int>(std::min<std::int64_t>(rows(0, 0).asInteger(), rows.lastRow()));
    if (n < 1) return std::nullopt;

    int passedOver = 0;
    std::string body = ExtractFileName(rows(4, 0).asText());
    for (int r = 1; r <= n; ++r) {
        if (rows(1, r).asInteger() == PassedOver) ++passedOver;
        if (r > kBodyEntries) continue;
        const int e = static_cast<int>(rows(0, r).asInteger());
        std::string name;
        if (e >= 1 && e <= EntryTable.lastRow()) {
            name = EntryTable(Vorname, e).asText();
            const std::string last = EntryTable(Nachname, e).asText();
            if (!name.empty() && !last.empty()) name += ' ';
            name += last;
        }
        body += "\n" + name + ", " + rows(2, r).asText();
    }
    if (n > kBodyEntries) body += "\nund " + std::to_string(n - kBodyEntries) + " weitere";

    std::string summary = "Termifolio98: " + CheckSummary();
    if (passedOver > 0) summary += " , " + std::to_string(passedOver) + " Übergangen";
    return Notification{summary, body};
}

}  // namespace tmf
