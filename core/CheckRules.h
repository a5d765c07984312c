#pragma once
// The rules of the check: which findings an entry gives on a day, and what
// the entry keeps of them in its file (the negated first lead, `Erreicht`,
// re-arming). The windowed check run and the terminal program both decide
// through these functions; sounds, progress, the results and saving stay
// with their callers.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "EntryTable.h"

namespace tmf {

enum CheckKind : int { NoFinding = 0, FirstWarning = 1, SecondWarning = 2, DueToday = 3, PassedOver = 4 };

// The anniversaries of every day and month as seen from one day: the days
// until the next one and the most recent one before that day. A check over
// many entries looks them up instead of working out calendar dates for each
// entry; the findings are the same either way.
class AnniversaryTable {
public:
    explicit AnniversaryTable(std::chrono::sys_days today);

    struct Anniversary {
        int daysToNext = 0;
        std::chrono::sys_days lastBefore;
    };
    std::chrono::year_month_day todayDate() const { return todayDate_; }
    // For a date of the calendar.
    const Anniversary& of(std::chrono::year_month_day date) const {
        return days_[(static_cast<unsigned>(date.month()) - 1) * 31 + static_cast<unsigned>(date.day()) - 1];
    }

private:
    std::chrono::year_month_day todayDate_;
    Anniversary days_[12 * 31];
};

// The day a file is checked on, and the file's last check date. Without a
// valid last check date there is nothing to compare with, so nothing counts
// as passed over (every file the program writes has one). `anniversaries`,
// when given, must have been made for `today`.
struct CheckDay {
    std::chrono::sys_days today;
    std::optional<std::chrono::sys_days> lastCheck;
    const AnniversaryTable* anniversaries = nullptr;
};
CheckDay MakeCheckDay(std::chrono::sys_days today, std::string_view lastCheckText,
                      const AnniversaryTable* anniversaries = nullptr);

// What one entry gave. It has at most one row of the kinds 1 to 3 (a second
// warning takes over the first's row, due today takes over either) and,
// besides, a passed-over row of its own.
struct EntryFindings {
    int days = 0;                // days until its next anniversary (0: today)
    int kind = NoFinding;        // the kind of that one row, NoFinding when none
    bool firstWarning = false;   // the first lead was reached
    bool secondWarning = false;  // the second lead was reached
    bool passedOver = false;
    bool changed = false;        // the entry's stored state changed
};

// What the rules read and keep of an entry.
struct EntryState {
    std::chrono::year_month_day date;
    long long warnung1 = 0;
    long long warnung2 = 0;
    long long erreicht = 0;
    // The fields the rules wrote, so that a caller keeps exactly those.
    enum : unsigned { kWarnung1 = 1, kWarnung2 = 2, kErreicht = 4 };
    unsigned written = 0;
};

// Decides the findings of one entry on the day and updates the entry's
// warning state in place.
EntryFindings CheckEntry(EntryState& entry, const CheckDay& day);
// The same on an entry of the table.
EntryFindings CheckEntry(Row& entry, const CheckDay& day);

// The anniversary the passed-over test looks at: the most recent one before
// today (this year's when it has passed, otherwise last year's), so that a
// date passed over across New Year is still found.
std::chrono::sys_days LastAnniversaryBefore(std::chrono::year_month_day date, std::chrono::sys_days today);

// The counts of one file's results: first-warning rows, second-warning rows
// the second lead added itself (both only when not due today), and due-today
// findings. Passed-over rows count nowhere.
struct FindingCounts {
    int first = 0;
    int second = 0;
    int dueToday = 0;
    void add(const EntryFindings& f);
};

// "hat in 3 Tag(en) Geburtstag !", "hat Heute Geburtstag !",
// "Geburtstag wurde übergangen !".
std::string FindingText(int kind, int days, std::string_view term);
// The same at the end of out, for a caller that writes thousands of them.
void AppendFindingText(std::string& out, int kind, int days, std::string_view term);
// "1.Warnung", "2.Warnung", "Heute Termin", "Übergangen".
const char* CheckKindLabel(int kind);
// "2 Termin(e) , 5 Warnung(en)".
std::string CheckSummaryText(const FindingCounts& counts);

}  // namespace tmf
