#include "CheckFiles.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>
#include <system_error>
#include <thread>
#include <tuple>
#include <utility>
#include <iterator>

#include "AppointmentFile.h"
#include "Dates.h"
#include "CliPlatform.h"
#include "FileScan.h"
#include "Ports.h"
#include "State.h"

namespace tmf::cli {

using namespace std::chrono;

namespace {

// Sorts by small keys and moves each element once: sorting the elements
// themselves would move their texts many times over.
template <class T, class KeyOf>
void StableSortByKey(std::vector<T>& items, KeyOf keyOf) {
    using Key = decltype(keyOf(items.front()));
    std::vector<std::pair<Key, std::size_t>> order;
    order.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) order.emplace_back(keyOf(items[i]), i);
    std::sort(order.begin(), order.end());  // the index breaks ties: stable
    std::vector<T> sorted;
    sorted.reserve(items.size());
    for (const auto& [key, i] : order) sorted.push_back(std::move(items[i]));
    items = std::move(sorted);
}

constexpr year_month_day kFallback = year{100} / January / 1;

std::string Who(const Row& row) { return row[Vorname].asText() + " " + row[Nachname].asText(); }

Upcoming MakeUpcoming(const Row& row, year_month_day date, int days, sys_days today) {
    Upcoming u;
    u.days = days;
    const sys_days on = today + std::chrono::days{days};
    u.date = FormatDate(on);
    u.who = Who(row);
    u.term = row[Terminart].asText();
    // The fallback date stands for a date that was not valid, and a date
    // without a year has no age to show.
    if (date != kFallback && !IsYearless(date)) u.years = static_cast<int>(year_month_day{on}.year()) - static_cast<int>(date.year());
    return u;
}

struct FileCheck {
    FileReport& report;
    const CheckOptions& options;
    int file;
    std::vector<Upcoming>& upcoming;
    const AnniversaryTable& anniversaries;
    CheckDay day{};
    bool saveFailed = false;
    bool changed = false;  // an entry's stored state changed

    Row details;  // the fields shown of an entry that a look found something in

    // An entry of the table (stamping).
    void entry(int e, Row& row) {
        const EntryFindings f = CheckEntry(row, day);
        if (count(f)) add(e, f, row[Loeschen].asBoolean(), row, ParseDate(row[TerminAm].asText()).value_or(kFallback));
    }
    // An entry of a look: only the fields shown are decoded, and only when it
    // has something to show.
    void entry(int e, ScannedEntry& scanned) {
        const EntryFindings f = CheckEntry(scanned.state, day);
        if (!count(f)) return;
        DecodeTexts(scanned.record, details, {Vorname, Nachname, Terminart});
        add(e, f, scanned.loeschen, details, scanned.state.date);
    }

    // Keeps the counts; true when the entry has something to show.
    bool count(const EntryFindings& f) {
        if (f.changed) changed = true;
        report.counts.add(f);
        return f.kind != NoFinding || f.passedOver || f.days <= options.aheadDays;
    }
    void add(int e, const EntryFindings& f, bool flagged, const Row& row, year_month_day date) {
        const std::string term = row[Terminart].asText();
        if (f.kind != NoFinding)
            report.findings.push_back({f.kind, Who(row), FindingText(f.kind, f.days, term), f.kind == DueToday && flagged});
        if (f.passedOver) report.findings.push_back({PassedOver, Who(row), FindingText(PassedOver, f.days, term), flagged});
        if (f.days <= options.aheadDays) {
            upcoming.push_back(MakeUpcoming(row, date, f.days, day.today));
            upcoming.back().file = file;
            upcoming.back().entry = e;
        }
    }
};

// The windowed check's way: the whole file loaded into the entry table,
// checked there, and saved from there.
LoadResult StampFile(FileCheck& check) {
    const LoadResult loaded = LoadAppointmentFile(check.report.path, "Alles");
    if (!IsLoaded(loaded)) return loaded;
    check.day = MakeCheckDay(Today(), EntryTable(HeaderLastCheck, 0).asText(), &check.anniversaries);
    const int count = LastEntryRow();
    for (int e = 1; e <= count; ++e) check.entry(e, EntryTable.row(e));
    if (check.changed) Modified = 1;
    // The bytes the windowed check leaves: the header with the date of the
    // check, or the whole file with it once anything changed in this run.
    // Not the header first and then the whole file: on a full disk the
    // header would already carry the new date when the whole file failed,
    // under a message that says the file is unchanged. Nothing is deleted.
    if (!SaveAppointmentFile(check.report.path, Modified == 1 ? "Alles" : "", "Datum")) check.saveFailed = true;
    return loaded;
}

// A look: the same findings from a lean read, nothing kept.
LoadResult LookAtFile(FileCheck& check) {
    return ScanAppointmentFile(
        check.report.path,
        [&check](const Row& header) {
            check.day = MakeCheckDay(Today(), header[HeaderLastCheck].asText(), &check.anniversaries);
        },
        [&check](int e, ScannedEntry& scanned) { check.entry(e, scanned); });
}

constexpr std::size_t kTogetherFrom = 4;  // files

// What a file's check leaves besides its report, kept apart per file when
// files are checked at the same time.
struct FileRun {
    std::vector<Upcoming> upcoming;
    std::vector<std::string> messages;  // held while files are checked at the same time
    bool failed = false;
    bool changed = false;
};

void CheckFile(const std::string& path, int i, const CheckOptions& options, const AnniversaryTable& anniversaries,
               FileReport& report, FileRun& run) {
    report.path = path;
    if (options.onFile) options.onFile(report.path);
    // The read names a file it cannot read on standard error.
    FileCheck check{report, options, i, run.upcoming, anniversaries};
    const LoadResult result = options.stamp ? StampFile(check) : LookAtFile(check);
    run.failed = result != LoadResult::Loaded || check.saveFailed;
    run.changed = check.changed;
    if (!IsLoaded(result)) {
        // A read that failed half-way shows nothing of the file.
        report.findings.clear();
        run.upcoming.clear();
        return;
    }
    report.checked = true;
    // As the results dialog lists them: the highest kind first.
    StableSortByKey(report.findings, [](const Finding& f) { return -f.kind; });
}

// Looks at the files on two threads, each taking the next file of the list
// as it is done with one; the messages are held and written in the list's
// order afterwards. False when no second thread could be had.
bool LookAtTheSameTime(const std::vector<std::string>& files, const CheckOptions& options,
                       const AnniversaryTable& anniversaries, CheckOutcome& outcome, std::vector<FileRun>& runs) {
    std::atomic<int> next{static_cast<int>(files.size()) - 1};
    const auto work = [&](std::exception_ptr& failure) noexcept {
        try {
            for (int i; (i = next.fetch_sub(1)) >= 0;) {
                const auto at = static_cast<std::size_t>(i);
                HoldMessages(&runs[at].messages);
                CheckFile(files[at], i, options, anniversaries, outcome.files[at], runs[at]);
            }
        } catch (...) {
            next = -1;  // the other thread stops too
            failure = std::current_exception();
        }
        HoldMessages(nullptr);
        if (options.onFile) options.onFile("");
    };
    // Another core than this one, if there is one to have.
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (::sched_getaffinity(0, sizeof cores, &cores) != 0) return false;
    if (const int here = ::sched_getcpu(); here >= 0) CPU_CLR(here, &cores);
    if (CPU_COUNT(&cores) == 0) return false;
    std::exception_ptr failure, secondFailure;
    std::thread second;
    try {
        second = std::thread(work, std::ref(secondFailure));
    } catch (const std::system_error&) {
        return false;
    }
    // The system tends to queue a new thread behind the one that made it,
    // where it would start when the work is nearly done.
    ::pthread_setaffinity_np(second.native_handle(), sizeof cores, &cores);
    work(failure);
    second.join();
    if (failure) std::rethrow_exception(failure);
    if (secondFailure) std::rethrow_exception(secondFailure);
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) WriteMessages(run->messages);
    return true;
}

}  // namespace

CheckOutcome CheckFiles(const std::vector<std::string>& files, const CheckOptions& options) {
    CheckOutcome outcome;
    outcome.files.resize(files.size());
    std::vector<FileRun> runs(files.size());
    Modified = 0;
    const AnniversaryTable anniversaries(Today());
    // A look changes nothing, so files can be looked at side by side (for a
    // few, starting a thread costs more than it gives); the real check goes
    // from the last file to the first, as the windowed check run walks its
    // list, so that a change carries over the same way.
    const bool together = !options.stamp && files.size() >= kTogetherFrom &&
                          LookAtTheSameTime(files, options, anniversaries, outcome, runs);
    if (!together) {
        for (int i = static_cast<int>(files.size()) - 1; i >= 0; --i) {
            const auto at = static_cast<std::size_t>(i);
            CheckFile(files[at], i, options, anniversaries, outcome.files[at], runs[at]);
        }
        if (options.onFile) options.onFile("");
    }
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        if (run->failed) outcome.failed = true;
        if (run->changed) Modified = 1;
        std::move(run->upcoming.begin(), run->upcoming.end(), std::back_inserter(outcome.upcoming));
    }
    StableSortByKey(outcome.upcoming, [](const Upcoming& u) { return std::tuple(u.days, u.file, u.entry); });
    return outcome;
}

}  // namespace tmf::cli
