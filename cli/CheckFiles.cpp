#include "CheckFiles.h"

#include <algorithm>

#include "AppointmentFile.h"
#include "Dates.h"
#include "Ports.h"
#include "State.h"

namespace tmf::cli {

using namespace std::chrono;

namespace {

std::string Who(const Row& row) { return row[Vorname].asText() + " " + row[Nachname].asText(); }

Upcoming MakeUpcoming(const Row& row, int days, sys_days today) {
    Upcoming u;
    u.days = days;
    const sys_days on = today + std::chrono::days{days};
    u.date = FormatDate(on);
    u.who = Who(row);
    u.term = row[Terminart].asText();
    // The fallback date stands for a date that was not valid: no age then.
    const std::string& termin = row[TerminAm].asText();
    if (const auto date = ParseDate(termin); date && termin != kFallbackDate)
        u.years = static_cast<int>(year_month_day{on}.year()) - static_cast<int>(date->year());
    return u;
}

void CheckLoadedFile(FileReport& report, const CheckOptions& options, int file, std::vector<Upcoming>& upcoming) {
    const CheckDay day = MakeCheckDay(Today(), EntryTable(HeaderLastCheck, 0).asText());
    const int count = std::min(EntryCount, EntryTable.lastRow());
    for (int e = 1; e <= count; ++e) {
        Row& row = EntryTable.row(e);
        const EntryFindings f = CheckEntry(row, day);
        if (f.changed) Modified = 1;
        report.counts.add(f);
        const bool flagged = row[Loeschen].asBoolean();
        if (f.kind != NoFinding)
            report.findings.push_back({f.kind, Who(row), FindingText(f.kind, f.days, row[Terminart].asText()),
                                       f.kind == DueToday && flagged});
        if (f.passedOver)
            report.findings.push_back(
                {PassedOver, Who(row), FindingText(PassedOver, f.days, row[Terminart].asText()), flagged});
        if (f.days <= options.aheadDays) {
            upcoming.push_back(MakeUpcoming(row, f.days, day.today));
            upcoming.back().file = file;
            upcoming.back().entry = e;
        }
    }
    // As the results dialog lists them: the highest kind first.
    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const Finding& a, const Finding& b) { return a.kind > b.kind; });
}

}  // namespace

CheckOutcome CheckFiles(const std::vector<std::string>& files, const CheckOptions& options) {
    CheckOutcome outcome;
    outcome.files.resize(files.size());
    Modified = 0;
    for (int i = static_cast<int>(files.size()) - 1; i >= 0; --i) {
        FileReport& report = outcome.files[static_cast<std::size_t>(i)];
        report.path = files[static_cast<std::size_t>(i)];
        if (options.onFile) options.onFile(report.path);
        // The load names a file it cannot read on standard error.
        const LoadResult loaded = LoadAppointmentFile(report.path, "Alles");
        if (!IsLoaded(loaded)) {
            outcome.failed = true;
            continue;
        }
        if (loaded == LoadResult::Truncated) outcome.failed = true;
        report.checked = true;
        CheckLoadedFile(report, options, i, outcome.upcoming);
        if (!options.stamp) continue;
        // The windowed check's own two writes, so that the bytes come out the
        // same: the header with the date of the check, then the whole file
        // once anything changed in this run. Nothing is deleted here.
        if (!SaveAppointmentFile(report.path, "", "Datum")) outcome.failed = true;
        if (Modified == 1 && !SaveAppointmentFile(report.path, "Alles", "Datum")) outcome.failed = true;
    }
    if (options.onFile) options.onFile("");
    std::stable_sort(outcome.upcoming.begin(), outcome.upcoming.end(), [](const Upcoming& a, const Upcoming& b) {
        if (a.days != b.days) return a.days < b.days;
        if (a.file != b.file) return a.file < b.file;
        return a.entry < b.entry;
    });
    return outcome;
}

}  // namespace tmf::cli
