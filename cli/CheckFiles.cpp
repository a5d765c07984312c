#include "CheckFiles.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <utility>

#include "AppointmentFile.h"
#include "Dates.h"
#include "CliPlatform.h"
#include "FileScan.h"
#include "OtherCore.h"
#include "Ports.h"
#include "State.h"

namespace tmf::cli {

using namespace std::chrono;

void FileReport::forEach(const std::function<void(const ShownFinding&)>& visit) const {
    // A walk over both parts for each kind costs less than a sorted copy.
    for (int kind = PassedOver; kind >= FirstWarning; --kind)
        for (const FindingsPart& part : parts) {
            const std::string_view texts = part.texts;
            for (const Finding& f : part.findings)
                if (f.kind == kind)
                    visit({f.kind, f.wouldDelete, f.days, texts.substr(f.at, f.whoLength),
                           texts.substr(f.at + f.whoLength, f.termLength)});
        }
}

void UpcomingOfFile::Part::add(int days, std::string_view first, std::string_view last, std::string_view term,
                               int years) {
    // Names and terms are a few dozen bytes at most (a field holds at most
    // 255), days at most a year, an age below 10,000.
    const std::size_t at = texts_.size();
    texts_.append(first).append(1, ' ').append(last);
    const std::size_t whoLength = texts_.size() - at;
    texts_.append(term);
    items_.push_back({static_cast<std::int16_t>(days), static_cast<std::int16_t>(std::clamp(years, 0, 32767)),
                      static_cast<std::uint16_t>(whoLength), static_cast<std::uint16_t>(term.size()), at});
}

Upcoming UpcomingOfFile::Part::at(std::size_t i) const {
    const Item& item = items_[i];
    const std::string_view texts = texts_;
    return {item.days, texts.substr(item.at, item.whoLength), texts.substr(item.at + item.whoLength, item.termLength),
            item.years};
}

void UpcomingOfFile::finish(bool held) {
    for (Part& part : parts_) {
        std::stable_sort(part.items_.begin(), part.items_.end(),
                         [](const Part::Item& a, const Part::Item& b) { return a.days < b.days; });
        if (!held) continue;
        part.items_.shrink_to_fit();
        part.texts_.shrink_to_fit();
    }
}

void UpcomingOfFile::clear() {
    // Swapped out, not assigned: an assigned empty string keeps its room.
    for (Part& part : parts_) {
        std::vector<Part::Item>().swap(part.items_);
        std::string().swap(part.texts_);
    }
}

bool UpcomingList::empty() const {
    return std::all_of(files_.begin(), files_.end(), [](const UpcomingOfFile& f) { return f.empty(); });
}

void UpcomingList::forEach(const std::function<void(const Upcoming&)>& visit) const {
    // Each part's are sorted by days already: a day at a time, each part of
    // each file gives those of the day from where it stopped.
    std::vector<const UpcomingOfFile::Part*> parts;
    for (const UpcomingOfFile& f : files_)
        for (const UpcomingOfFile::Part& part : f.parts_)
            if (!part.items_.empty()) parts.push_back(&part);
    int first = std::numeric_limits<int>::max(), last = std::numeric_limits<int>::min();
    for (const UpcomingOfFile::Part* part : parts) {
        first = std::min<int>(first, part->items_.front().days);
        last = std::max<int>(last, part->items_.back().days);
    }
    std::vector<std::size_t> next(parts.size(), 0);
    for (int day = first; day <= last; ++day)
        for (std::size_t p = 0; p < parts.size(); ++p)
            for (std::size_t& i = next[p]; i < parts[p]->items_.size() && parts[p]->items_[i].days == day; ++i)
                visit(parts[p]->at(i));
}

namespace {

constexpr year_month_day kFallback = year{100} / January / 1;

// A field's text without a copy where the field holds one.
std::string_view TextOf(const Cell& cell, std::string& scratch) {
    if (const std::string* text = cell.textIf()) return *text;
    return scratch = cell.asText();
}

// The age or the years an anniversary completes; 0 when unknown.
int YearsReached(year_month_day date, int days, sys_days today) {
    // The fallback date stands for a date that was not valid, and a date
    // without a year has no age to show.
    if (date == kFallback || IsYearless(date)) return 0;
    return static_cast<int>(year_month_day{today + std::chrono::days{days}}.year()) - static_cast<int>(date.year());
}

struct FileCheck {
    const std::string& path;
    FindingsPart& found;
    FindingCounts& counts;
    const CheckOptions& options;
    UpcomingOfFile::Part& upcoming;
    const AnniversaryTable& anniversaries;
    CheckDay day{};
    bool saveFailed = false;
    bool changed = false;  // an entry's stored state changed

    Row details;  // the fields shown of an entry that a look found something in
    std::string scratch_[3];

    // An entry of the table (stamping).
    void entry(Row& row) {
        const EntryFindings f = CheckEntry(row, day);
        if (count(f)) add(f, row[Loeschen].asBoolean(), row, ParseDate(row[TerminAm].asText()).value_or(kFallback));
    }
    // An entry of a look: only the fields shown are decoded, and only when it
    // has something to show.
    void entry(ScannedEntry& scanned) {
        const EntryFindings f = CheckEntry(scanned.state, day);
        if (!count(f)) return;
        DecodeTexts(scanned.record, details, {Vorname, Nachname, Terminart});
        add(f, StoredLoeschen(scanned.record), details, scanned.state.date);
    }

    // Keeps the counts; true when the entry has something to show.
    bool count(const EntryFindings& f) {
        if (f.changed) changed = true;
        counts.add(f);
        return f.kind != NoFinding || f.passedOver || f.days <= options.aheadDays;
    }
    void add(const EntryFindings& f, bool flagged, const Row& row, year_month_day date) {
        const std::string_view first = TextOf(row[Vorname], scratch_[0]);
        const std::string_view last = TextOf(row[Nachname], scratch_[1]);
        const std::string_view term = TextOf(row[Terminart], scratch_[2]);
        if (f.kind != NoFinding || f.passedOver) {
            // A field holds a few dozen characters at most.
            std::string& texts = found.texts;
            const std::size_t at = texts.size();
            texts.append(first).append(1, ' ').append(last);
            const auto whoLength = static_cast<std::uint16_t>(texts.size() - at);
            texts.append(term);
            const auto find = [&](int kind, bool wouldDelete) {
                found.findings.push_back({static_cast<std::int8_t>(kind), wouldDelete, static_cast<std::int16_t>(f.days),
                                          whoLength, static_cast<std::uint16_t>(term.size()), at});
            };
            if (f.kind != NoFinding) find(f.kind, f.kind == DueToday && flagged);
            if (f.passedOver) find(PassedOver, flagged);
        }
        if (f.days <= options.aheadDays) upcoming.add(f.days, first, last, term, YearsReached(date, f.days, day.today));
    }
};

// The windowed check's way: the whole file loaded into the entry table,
// checked there, and saved from there.
LoadResult StampFile(FileCheck& check) {
    const LoadResult loaded = LoadAppointmentFile(check.path, "Alles");
    if (!IsLoaded(loaded)) return loaded;
    check.day = MakeCheckDay(Today(), EntryTable(HeaderLastCheck, 0).asText(), &check.anniversaries);
    const int count = LastEntryRow();
    for (int e = 1; e <= count; ++e) check.entry(EntryTable.row(e));
    if (check.changed) Modified = 1;
    // The bytes the windowed check leaves: the header with the date of the
    // check, or the whole file with it once anything changed in this run.
    // Not the header first and then the whole file: on a full disk the
    // header would already carry the new date when the whole file failed,
    // under a message that says the file is unchanged. Nothing is deleted.
    if (!SaveAppointmentFile(check.path, Modified == 1 ? "Alles" : "", "Datum")) check.saveFailed = true;
    return loaded;
}

// A look: the same findings from a lean read, nothing kept. inHalves: a
// long file's later half may be looked at on a second thread at the same
// time, into the later parts of the report and of the anniversaries.
LoadResult LookAtFile(FileCheck& check, FileReport& report, UpcomingOfFile& upcoming, bool inHalves) {
    FindingCounts laterCounts;
    FileCheck later{check.path, report.parts[1], laterCounts, check.options, upcoming.part(1), check.anniversaries};
    const LoadResult result = ScanAppointmentFile(
        check.path,
        [&check, &later](const Row& header) {
            check.day = MakeCheckDay(Today(), header[HeaderLastCheck].asText(), &check.anniversaries);
            later.day = check.day;
        },
        [&check](int, ScannedEntry& scanned) { check.entry(scanned); },
        inHalves ? [&later](int, ScannedEntry& scanned) { later.entry(scanned); }
                 : std::function<void(int, ScannedEntry&)>());
    if (later.changed) check.changed = true;
    report.counts.first += laterCounts.first;
    report.counts.second += laterCounts.second;
    report.counts.dueToday += laterCounts.dueToday;
    return result;
}

constexpr std::size_t kTogetherFrom = 4;  // files

// A file's check: its report until it is handed on, and what it leaves
// besides.
struct FileRun {
    FileReport report;
    std::vector<std::string> messages;  // held while the report goes out before them
    bool failed = false;
    bool changed = false;
    bool done = false;
};

// held: its anniversaries are kept while other files are checked.
void CheckFile(const std::string& path, const CheckOptions& options, const AnniversaryTable& anniversaries,
               FileRun& run, UpcomingOfFile& upcoming, bool held, bool inHalves = false) {
    FileReport& report = run.report;
    report.path = path;
    if (options.onFile) options.onFile(report.path);
    // The read names a file it cannot read on standard error.
    FileCheck check{report.path, report.parts[0], report.counts, options, upcoming.part(0), anniversaries};
    const LoadResult result = options.stamp ? StampFile(check) : LookAtFile(check, report, upcoming, inHalves);
    run.failed = result != LoadResult::Loaded || check.saveFailed;
    run.changed = check.changed;
    if (!IsLoaded(result)) {
        // A read that failed half-way shows nothing of the file. Swapped
        // out, not assigned: an assigned empty string keeps its room.
        for (FindingsPart& part : report.parts) {
            std::vector<Finding>().swap(part.findings);
            std::string().swap(part.texts);
        }
        upcoming.clear();
        return;
    }
    report.checked = true;
    upcoming.finish(held);
}

// Hands the reports on in the list's order: each as soon as its file and
// every one before it are done, whichever thread finishes them.
class InListOrder {
public:
    InListOrder(std::vector<FileRun>& runs, const CheckOptions& options) : runs_(runs), options_(options) {}

    void done(std::size_t file) {
        const std::lock_guard lock(mutex_);
        runs_[file].done = true;
        for (; next_ < runs_.size() && runs_[next_].done; ++next_) {
            // Moved out to be gone once written: a report assigned over
            // would keep the room its texts had.
            const FileReport report = std::move(runs_[next_].report);
            if (options_.onReport) options_.onReport(report);
        }
    }

private:
    std::vector<FileRun>& runs_;
    const CheckOptions& options_;
    std::mutex mutex_;
    std::size_t next_ = 0;
};

// Looks at the files from the first on, on two threads when a second one can
// be had, each taking the next file as it is done with one. The messages are
// held, to be written in the walk's order at the end.
void LookFromTheFirst(const std::vector<std::string>& files, const CheckOptions& options,
                      const AnniversaryTable& anniversaries, std::vector<FileRun>& runs, UpcomingList& upcoming,
                      InListOrder& order) {
    std::atomic<std::size_t> next{0};
    OtherCore second;
    const auto work = [&](std::exception_ptr& failure, bool onSecond) noexcept {
        bool letGo = false;
        try {
            for (std::size_t i; (i = next.fetch_add(1)) < files.size();) {
                HoldMessages(&runs[i].messages);
                CheckFile(files[i], options, anniversaries, runs[i], upcoming.file(i), true);
                order.done(i);
                // Started on the other core, the second thread is let go
                // again: held there, it would wait for that core while
                // other programs use it and this one is free.
                if (onSecond && !letGo) {
                    second.letGo();
                    letGo = true;
                }
            }
        } catch (...) {
            next = files.size();  // the other thread stops too
            failure = std::current_exception();
        }
        HoldMessages(nullptr);
        if (options.onFile) options.onFile("");
    };
    std::exception_ptr failure, secondFailure;
    // Without another core, this thread does it alone.
    second.start([&] { work(secondFailure, true); });
    work(failure, false);
    second.join();
    if (failure) std::rethrow_exception(failure);
    if (secondFailure) std::rethrow_exception(secondFailure);
}

}  // namespace

CheckOutcome CheckFiles(const std::vector<std::string>& files, const CheckOptions& options) {
    CheckOutcome outcome;
    outcome.upcoming.resize(files.size());
    std::vector<FileRun> runs(files.size());
    InListOrder order(runs, options);
    Modified = 0;
    const AnniversaryTable anniversaries(Today());
    // A look changes nothing, so files can be looked at in any order and
    // side by side; a long list is looked at from the first file on, so that
    // its report goes out while the look goes on instead of being held
    // whole. The real check goes from the last file to the first, as the
    // windowed check run walks its list, so that a change carries over the
    // same way; so does a look at a few files, whose messages then come as
    // they are found, before the report.
    if (!options.stamp && files.size() >= kTogetherFrom) {
        LookFromTheFirst(files, options, anniversaries, runs, outcome.upcoming, order);
        for (auto run = runs.rbegin(); run != runs.rend(); ++run) WriteMessages(run->messages);
    } else {
        for (std::size_t i = files.size(); i-- > 0;) {
            // The other core is free for the later half of a long file.
            CheckFile(files[i], options, anniversaries, runs[i], outcome.upcoming.file(i), files.size() > 1, true);
            order.done(i);
        }
        if (options.onFile) options.onFile("");
    }
    for (const FileRun& run : runs) {
        if (run.failed) outcome.failed = true;
        if (run.changed) Modified = 1;
    }
    return outcome;
}

}  // namespace tmf::cli
