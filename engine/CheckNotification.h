#pragma once
// One desktop notification per check run, so that what the check found
// reaches the user even when no window of the program is looked at.
#include <optional>
#include <string>
#include <vector>

#include "Ports.h"

namespace tmf {

class CheckRunSummary {
public:
    // Counts the rows of CheckResults and notes the names of their entries;
    // called for each file right after its check, while the rows still name
    // the entries they were found for.
    void AddResults();
    // "Termifolio98: 2 Termine heute, 3 Hinweise, 1 übergangen" with up to
    // five entries in the body; nothing when the run found nothing.
    std::optional<Notification> notification() const;

private:
    int today_ = 0;
    int hints_ = 0;
    int passedOver_ = 0;
    std::vector<std::string> lines_;  // at most kBodyEntries
    int moreLines_ = 0;
};

inline constexpr int kBodyEntries = 5;

}  // namespace tmf
