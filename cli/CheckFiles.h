#pragma once
// Checks appointment files by the check's rules, the way the windowed check
// run does, and hands on what a terminal shows: the findings of each file,
// in the list's order as soon as they are known, and the anniversaries of
// the next days of all files at the end.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "CheckRules.h"

namespace tmf::cli {

// A finding keeps its texts in its part of the report: a large file has
// thousands, each a few bytes beside them.
struct Finding {
    std::int8_t kind = NoFinding;
    bool wouldDelete = false;  // due or passed over, and flagged for deletion
    std::int16_t days = 0;     // until the anniversary
    std::uint16_t whoLength = 0;
    std::uint16_t termLength = 0;
    std::size_t at = 0;        // of "Vorname Nachname" and the term in the part's texts
};

// A finding as it is shown.
struct ShownFinding {
    int kind = NoFinding;
    bool wouldDelete = false;
    int days = 0;
    std::string_view who;  // "Vorname Nachname"
    std::string_view term;
    // The message text of the results dialog.
    std::string text() const { return FindingText(kind, days, term); }
};

// The findings of one stretch of a file, in the file's order.
struct FindingsPart {
    std::vector<Finding> findings;
    std::string texts;
};

struct FileReport {
    std::string path;
    bool checked = false;  // false: it could not be read
    FindingCounts counts;
    // The file's findings, or the first half's and the later half's of a
    // long file looked at in two halves at once. The halves are not copied
    // together, nor sorted by kind: each would be new memory, and taking it
    // from the system cost a look at a large file more than the look itself.
    std::array<FindingsPart, 2> parts;

    std::size_t size() const { return parts[0].findings.size() + parts[1].findings.size(); }
    // As the results dialog lists them: passed over first, then due today,
    // second and first warnings; a kind's in the file's order.
    void forEach(const std::function<void(const ShownFinding&)>& visit) const;
};

struct Upcoming {
    int days = 0;
    std::string_view who;
    std::string_view term;
    int years = 0;     // the age or years it completes, 0 when unknown
};

// One file's anniversaries of the next days. A long check list has tens of
// thousands of them, all held until the last file is done, so each takes a
// few bytes beside its texts.
class UpcomingOfFile {
public:
    // Those of one stretch of the file, in its order.
    class Part {
    public:
        // who is "first last".
        void add(int days, std::string_view first, std::string_view last, std::string_view term, int years);

    private:
        friend class UpcomingOfFile;
        friend class UpcomingList;
        struct Item {
            std::int16_t days;
            std::int16_t years;
            std::uint16_t whoLength;
            std::uint16_t termLength;
            std::size_t at;  // of the texts in texts_
        };
        Upcoming at(std::size_t i) const;
        std::string texts_;
        std::vector<Item> items_;
    };
    // 0: the file's, or its first half's; 1: the later half's, as with the
    // findings.
    Part& part(std::size_t i) { return parts_[i]; }
    // Once the file is done: soonest first, a day's in the file's order.
    // held: kept while other files are checked, without the room grown for
    // more.
    void finish(bool held);
    void clear();
    bool empty() const { return parts_[0].items_.empty() && parts_[1].items_.empty(); }

private:
    friend class UpcomingList;
    std::array<Part, 2> parts_;
};

// The anniversaries of all files: soonest first, a day's in the list's
// order of the files and each file's order.
class UpcomingList {
public:
    void resize(std::size_t files) { files_.resize(files); }
    UpcomingOfFile& file(std::size_t i) { return files_[i]; }
    bool empty() const;
    void forEach(const std::function<void(const Upcoming&)>& visit) const;

private:
    std::vector<UpcomingOfFile> files_;
};

struct CheckOptions {
    bool stamp = false;  // keep the check's state in the files and save them
    int aheadDays = -1;  // list the anniversaries of the next days; -1: none
    // Told the file each time the work moves on to the next one ("" at the end).
    std::function<void(const std::string&)> onFile;
    // Given each file's report in the list's order, as soon as the file and
    // every one before it are done; the report is gone afterwards.
    std::function<void(const FileReport&)> onReport;
};

struct CheckOutcome {
    UpcomingList upcoming;
    bool failed = false;  // a file could not be read or saved
};

// files in check-list order (slot 0 first). A stamping run checks them from
// the last to the first, as the windowed check run walks its list, so that a
// change carries over to the files after it in the same way, and so does a
// look at a few files. A look at a longer list goes from the first, so that
// its reports go out while it works; its messages are held and come after
// them. The messages come in the walk's order (the last file's first)
// either way.
CheckOutcome CheckFiles(const std::vector<std::string>& files, const CheckOptions& options);

}  // namespace tmf::cli
