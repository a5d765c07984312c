#include "CheckNotification.h"

#include "CheckResults.h"
#include "State.h"

namespace tmf {

void CheckRunSummary::AddResults() {
    const int n = static_cast<int>(CheckResults(0, 0).asInteger());
    for (int r = 1; r <= n && r <= CheckResults.lastRow(); ++r) {
        const auto kind = CheckResults(1, r).asInteger();
        if (kind == DueToday) ++today_;
        else if (kind == PassedOver) ++passedOver_;
        else ++hints_;
        if (static_cast<int>(lines_.size()) == kBodyEntries) {
            ++moreLines_;
            continue;
        }
        const int e = static_cast<int>(CheckResults(0, r).asInteger());
        std::string name = EntryTable(Vorname, e).asText();
        const std::string last = EntryTable(Nachname, e).asText();
        if (!name.empty() && !last.empty()) name += ' ';
        name += last;
        // "hat Heute Geburtstag !" follows the name; "Geburtstag wurde
        // übergangen !" reads as a sentence of its own.
        lines_.push_back(name + (kind == PassedOver ? ": " : " ") + CheckResults(2, r).asText());
    }
}

std::optional<Notification> CheckRunSummary::notification() const {
    if (today_ + hints_ + passedOver_ == 0) return std::nullopt;
    std::string summary = "Termifolio98:";
    auto part = [&summary, first = true](int count, const char* one, const char* many) mutable {
        if (count == 0) return;
        summary += first ? " " : ", ";
        summary += std::to_string(count) + " " + (count == 1 ? one : many);
        first = false;
    };
    part(today_, "Termin heute", "Termine heute");
    part(hints_, "Hinweis", "Hinweise");
    part(passedOver_, "übergangen", "übergangen");
    std::string body;
    for (const auto& line : lines_) body += (body.empty() ? "" : "\n") + line;
    if (moreLines_ > 0) body += "\nund " + std::to_string(moreLines_) + " weitere";
    return Notification{summary, body};
}

}  // namespace tmf
