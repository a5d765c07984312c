#include "CheckFiles.h"

#include <algorithm>
#include <optional>
#include <tuple>
#include <utility>

#include "AppointmentFile.h"
#include "Dates.h"
#include "FileScan.h"
#include "ReadAhead.h"
#include "Ports.h"
#include "State.h"

namespace tmf::cli {

using namespace std::chrono;

namespace {

constexpr std::size_t kReadAheadFrom = 4;  // files

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
        if (f.changed) Modified = 1;
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
    // The windowed check's own two writes, so that the bytes come out the
    // same: the header with the date of the check, then the whole file once
    // anything changed in this run. Nothing is deleted here.
    if (!SaveAppointmentFile(check.report.path, "", "Datum")) check.saveFailed = true;
    if (Modified == 1 && !SaveAppointmentFile(check.report.path, "Alles", "Datum")) check.saveFailed = true;
    return loaded;
}

// A look: the same findings from a lean read, nothing kept.
LoadResult LookAtFile(FileCheck& check, ReadAhead* ahead) {
    return ScanAppointmentFile(
        check.report.path,
        [&check](const Row& header) {
            check.day = MakeCheckDay(Today(), header[HeaderLastCheck].asText(), &check.anniversaries);
        },
        [&check](int e, ScannedEntry& scanned) { check.entry(e, scanned); }, ahead ? ahead->next() : nullptr);
}

}  // namespace

CheckOutcome CheckFiles(const std::vector<std::string>& files, const CheckOptions& options) {
    CheckOutcome outcome;
    outcome.files.resize(files.size());
    Modified = 0;
    const AnniversaryTable anniversaries(Today());
    // Many files are copied in on a second thread while the one before is
    // looked at; for a few, starting the thread would cost more.
    std::optional<ReadAhead> ahead;
    if (!options.stamp && files.size() >= kReadAheadFrom)
        ahead.emplace(std::vector<std::string>(files.rbegin(), files.rend()), kReadInOneGo);
    for (int i = static_cast<int>(files.size()) - 1; i >= 0; --i) {
        FileReport& report = outcome.files[static_cast<std::size_t>(i)];
        report.path = files[static_cast<std::size_t>(i)];
        if (options.onFile) options.onFile(report.path);
        // The read names a file it cannot read on standard error.
        const std::size_t upcomingBefore = outcome.upcoming.size();
        FileCheck check{report, options, i, outcome.upcoming, anniversaries};
        const LoadResult result = options.stamp ? StampFile(check) : LookAtFile(check, ahead ? &*ahead : nullptr);
        if (result != LoadResult::Loaded || check.saveFailed) outcome.failed = true;
        if (!IsLoaded(result)) {
            // A read that failed half-way shows nothing of the file.
            report.findings.clear();
            outcome.upcoming.resize(upcomingBefore);
            continue;
        }
        report.checked = true;
        // As the results dialog lists them: the highest kind first.
        StableSortByKey(report.findings, [](const Finding& f) { return -f.kind; });
    }
    if (options.onFile) options.onFile("");
    StableSortByKey(outcome.upcoming, [](const Upcoming& u) { return std::tuple(u.days, u.file, u.entry); });
    return outcome;
}

}  // namespace tmf::cli
