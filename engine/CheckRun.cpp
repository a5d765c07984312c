#include "CheckRun.h"

#include <chrono>
#include <optional>
#include <string>

#include "AppointmentFile.h"
#include "CheckNotification.h"
#include "CheckResults.h"
#include "CheckRules.h"
#include "FileIo.h"
#include "Funky.h"
#include "Grid.h"
#include "Ports.h"
#include "State.h"
#include "Views.h"

namespace tmf {

namespace {

bool gRunning = false;

struct RunningGuard {
    RunningGuard() { gRunning = true; }
    ~RunningGuard() { gRunning = false; }
};

int LastUsedSlot() {
    for (int slot = 1; slot < kCheckListSlots; ++slot)
        if (CheckList(slot).empty()) return slot - 1;
    return kCheckListSlots - 1;
}

// Per file: which sounds were played already.
struct FileSounds {
    bool first = false;
    bool second = false;
    bool today = false;
};

void AddRow(int& n) {
    ++n;
    CheckResults.resize(n);
}

void FillRow(int row, int entry, int kind, const std::string& text) {
    CheckResults(0, row) = Cell(entry);
    CheckResults(1, row) = Cell(kind);
    CheckResults(2, row) = Cell(text);
}

// The anniversaries seen from today, worked out once for all the files of
// a check run (and again when the day changes).
const AnniversaryTable& AnniversariesOfToday() {
    static std::optional<AnniversaryTable> table;
    const std::chrono::sys_days today = Today();
    if (!table || table->todayDate() != std::chrono::year_month_day{today}) table.emplace(today);
    return *table;
}

// Checks the entries of the loaded file by the check's rules, turning their
// findings into result rows and sounds; true when anything was found.
bool CheckEntries(FileSounds& sounds, bool& passedOverSoundPlayed) {
    const CheckDay day = MakeCheckDay(Today(), EntryTable(HeaderLastCheck, 0).asText(), &AnniversariesOfToday());
    FindingCounts counts;
    bool findings = false;
    int n = 0;
    const int count = LastEntryRow();
    for (int e = 1; e <= count; ++e) {
        if (e % 5 == 0 || e == count) ShowProgress("Prüfe...", static_cast<float>(e), static_cast<float>(count));
        const EntryFindings f = CheckEntry(EntryTable.row(e), day);
        if (f.changed) Modified = 1;
        counts.add(f);
        const std::string term = EntryTable(Terminart, e).asText();

        if (f.kind != NoFinding) {
            AddRow(n);
            // The sounds in the order the kinds are decided: first warning,
            // second warning (not for a row due today), due today.
            if (f.firstWarning && !sounds.first) PlaySound("Hinweis", 1);
            if (f.firstWarning) sounds.first = true;
            if (f.secondWarning) {
                if (f.days != 0 && !sounds.second) PlaySound("Hinweis", 1);
                sounds.second = true;
            }
            if (f.kind == DueToday) {
                if (!sounds.today) PlaySound("tata", 1);
                sounds.today = true;
            }
            FillRow(n, e, f.kind, FindingText(f.kind, f.days, term));
            CheckResults(3, n) = Cell(f.days);
            findings = true;
        }
        if (f.passedOver) {
            AddRow(n);
            FillRow(n, e, PassedOver, FindingText(PassedOver, f.days, term));
            findings = true;
            if (!passedOverSoundPlayed) PlaySound("fehler", 1);
            passedOverSoundPlayed = true;
        }
        CheckResults(0, 0) = Cell(n);
        CheckResults(1, 0) = Cell(counts.first);
        CheckResults(2, 0) = Cell(counts.second);
        CheckResults(3, 0) = Cell(counts.dueToday);
    }
    return findings;
}

}  // namespace

bool CheckRunning() { return gRunning; }

bool CheckDates(std::string_view mode, const std::optional<ShownChoices>& shown) {
    if (gRunning) return true;
    RunningGuard guard;
    TableOperation busy;
    bool currentLoaded = true;
    bool passedOverSoundPlayed = false;
    for (int slot = LastUsedSlot(); slot >= 0; --slot) {
        const std::string file = CheckList(slot);
        if (TheViews().splash) TheViews().splash->SetFileCaption(ExtractFileName(file));
        ProcessPendingMessages();
        // A file that cannot be loaded is reported by the load and skipped:
        // one broken file must not keep the others from being checked, and
        // nothing may be written into it.
        if (!IsLoaded(LoadAppointmentFile(file, "Alles", NameInMessage::Yes))) {
            if (slot == 0) currentLoaded = false;
            continue;
        }
        if (slot == 0 && shown) {
            // Before the header is stamped, so that the file keeps them too.
            EntryTable(HeaderOutputChoice, 0) = shown->output;
            EntryTable(HeaderSortChoice, 0) = shown->sort;
        }

        FileSounds sounds;
        CheckResults.resize(0);
        for (int c = 0; c < 5; ++c) CheckResults(c, 0) = Cell(0);
        CheckResults(4, 0) = Cell(file);

        const bool findings = CheckEntries(sounds, passedOverSoundPlayed);
        // A file the automatic run changed is written whole below, check date
        // included. Stamping its header first would leave the new date on disk
        // when that save fails (a full disk takes a new file, not an in-place
        // header), and the save's own "unverändert" would then be untrue.
        if (mode != "Auto" || Modified != 1) SaveAppointmentFile(file, "", "Datum");
        if (findings) {
            // The notification says what the window says, as it comes up:
            // a user away from the screen learns of it without closing it.
            if (auto notification = ResultsNotification()) Notify(*notification);
            if (TheViews().results) TheViews().results->ShowModal();
        }

        if (Modified == 1) {
            if (mode == "Auto") {
                SaveAppointmentFile(file, "Alles", "Datum");
            } else if (slot == 0) {
                SortAndFillGrid();
            } else {
                AskSaveIfChanged(file);
            }
        }
    }
    return currentLoaded;
}

}  // namespace tmf
