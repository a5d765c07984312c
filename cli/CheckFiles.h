#pragma once
// Checks appointment files by the check's rules, the way the windowed check
// run does, and collects what a terminal shows: the findings of each file
// and the anniversaries of the next days.
#include <functional>
#include <string>
#include <vector>

#include "CheckRules.h"

namespace tmf::cli {

struct Finding {
    int kind = NoFinding;
    std::string who;   // "Vorname Nachname"
    std::string text;  // the message text of the results dialog
    bool wouldDelete = false;  // due or passed over, and flagged for deletion
};

struct FileReport {
    std::string path;
    bool checked = false;  // false: it could not be read
    std::vector<Finding> findings;  // passed over first, then due today, second and first warnings
    FindingCounts counts;
};

struct Upcoming {
    int days = 0;
    std::string date;  // the anniversary, "dd.mm.yyyy"
    std::string who;
    std::string term;
    int years = 0;     // the age or years it completes, 0 when unknown
    int file = 0;      // index in the files checked
    int entry = 0;
};

struct CheckOptions {
    bool stamp = false;  // keep the check's state in the files and save them
    int aheadDays = -1;  // list the anniversaries of the next days; -1: none
    // Told the file each time the work moves on to the next one ("" at the end).
    std::function<void(const std::string&)> onFile;
};

struct CheckOutcome {
    std::vector<FileReport> files;    // in the order given
    std::vector<Upcoming> upcoming;   // soonest first
    bool failed = false;              // a file could not be read or saved
};

// files in check-list order (slot 0 first). They are checked from the last
// to the first, as the windowed check run walks its list, so that a change
// carries over to the files after it in the same way when stamping.
CheckOutcome CheckFiles(const std::vector<std::string>& files, const CheckOptions& options);

}  // namespace tmf::cli
