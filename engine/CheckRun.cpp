#include "CheckRun.h"

#include <chrono>
#include <cstdlib>
#include <string>

#include "AppointmentFile.h"
#include "CheckNotification.h"
#include "CheckResults.h"
#include "Dates.h"
#include "FileIo.h"
#include "Funky.h"
#include "Grid.h"
#include "Ports.h"
#include "Sort.h"
#include "State.h"
#include "Views.h"

namespace tmf {

using namespace std::chrono;

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

void AddToHeader(int column) { CheckResults(column, 0) = Cell(CheckResults(column, 0).asInteger() + 1); }

// Checks the entries of the loaded file; true when anything was found.
bool CheckEntries(FileSounds& sounds, bool& passedOverSoundPlayed) {
    const sys_days today = Today();
    const year thisYear = year_month_day{today}.year();
    // Without a valid last check date there is nothing to compare with, so
    // nothing counts as passed over (every file the program writes has one).
    const auto lastCheck = ParseDate(EntryTable(HeaderLastCheck, 0).asText());

    bool findings = false;
    int n = 0;
    const int count = EntryCount < EntryTable.lastRow() ? EntryCount : EntryTable.lastRow();
    for (int e = 1; e <= count; ++e) {
        if (e % 5 == 0 || e == count) ShowProgress("Prüfe...", static_cast<float>(e), static_cast<float>(count));
        const std::string dateText = EntryTable(TerminAm, e).asText();
        const auto date = ParseDate(dateText).value_or(year{100} / January / 1);
        const int d = DateValue(date, DateKind::NT, today);
        const std::string term = EntryTable(Terminart, e).asText();
        const std::string dText = std::to_string(d);
        int row = 0;  // the row added for this entry, if any

        const std::int64_t w1 = EntryTable(Warnung1, e).asInteger();
        if (w1 >= d) {
            AddRow(n);
            row = n;
            if (d != 0) AddToHeader(1);
            if (!sounds.first) PlaySound("Hinweis", 1);
            sounds.first = true;
            CheckResults(0, row) = Cell(e);
            CheckResults(1, row) = Cell(FirstWarning);
            CheckResults(2, row) = Cell("hat in " + dText + " Tag(en) " + term + " !");
            CheckResults(3, row) = Cell(d);
            if (w1 >= 0) {
                EntryTable(Warnung1, e) = Cell(-w1);
                Modified = 1;
            }
            findings = true;
        }

        const std::int64_t w2 = EntryTable(Warnung2, e).asInteger();
        if (w2 >= d) {
            if (row == 0) {
                AddRow(n);
                row = n;
                if (d != 0) AddToHeader(2);
            }
            if (d != 0 && !sounds.second) PlaySound("Hinweis", 1);
            sounds.second = true;
            CheckResults(0, row) = Cell(e);
            CheckResults(1, row) = Cell(SecondWarning);
            CheckResults(2, row) = Cell("hat in " + dText + " Tag(en) " + term + " !");
            CheckResults(3, row) = Cell(d);
            findings = true;
        }

        if (d == 0) {
            if (!sounds.today) PlaySound("tata", 1);
            sounds.today = true;
            if (row == 0) {
                AddRow(n);
                row = n;
                CheckResults(0, row) = Cell(e);
                CheckResults(3, row) = Cell(0);
            }
            CheckResults(1, row) = Cell(DueToday);
            CheckResults(2, row) = Cell("hat Heute " + term + " !");
            AddToHeader(3);
            if (EntryTable(Erreicht, e).asInteger() == 0) {
                EntryTable(Erreicht, e) = Cell(1);
                Modified = 1;
            }
            findings = true;
        }

        const sys_days anniversary = AnniversaryInYear(date, thisYear);
        if (lastCheck && anniversary > sys_days{*lastCheck} && anniversary < today &&
            EntryTable(Erreicht, e).asInteger() == 0) {
            AddRow(n);
            EntryTable(Erreicht, e) = Cell(1);
            CheckResults(0, n) = Cell(e);
            CheckResults(1, n) = Cell(PassedOver);
            CheckResults(2, n) = Cell(term + " wurde übergangen !");
            findings = true;
            if (!passedOverSoundPlayed) PlaySound("fehler", 1);
            passedOverSoundPlayed = true;
            Modified = 1;
        }

        if (d > 0 && EntryTable(Erreicht, e).asInteger() == 1) {
            EntryTable(Warnung1, e) = Cell(static_cast<std::int64_t>(std::llabs(EntryTable(Warnung1, e).asInteger())));
            EntryTable(Warnung2, e) = Cell(static_cast<std::int64_t>(std::llabs(EntryTable(Warnung2, e).asInteger())));
            EntryTable(Erreicht, e) = Cell(0);
            Modified = 1;
        }
        CheckResults(0, 0) = Cell(n);
    }
    return findings;
}

}  // namespace

bool CheckRunning() { return gRunning; }

bool CheckDates(std::string_view mode) {
    if (gRunning) return true;
    RunningGuard guard;
    bool currentLoaded = true;
    bool passedOverSoundPlayed = false;
    CheckRunSummary summary;
    for (int slot = LastUsedSlot(); slot >= 0; --slot) {
        const std::string file = CheckList(slot);
        if (TheViews().splash) TheViews().splash->SetFileCaption(ExtractFileName(file));
        ProcessPendingMessages();
        // A file that cannot be loaded is reported by the load and skipped:
        // one broken file must not keep the others from being checked, and
        // nothing may be written into it.
        if (!IsLoaded(LoadAppointmentFile(file, "Alles"))) {
            if (slot == 0) currentLoaded = false;
            continue;
        }

        FileSounds sounds;
        CheckResults.resize(0);
        for (int c = 0; c < 5; ++c) CheckResults(c, 0) = Cell(0);
        CheckResults(4, 0) = Cell(file);

        const bool findings = CheckEntries(sounds, passedOverSoundPlayed);
        summary.AddResults();
        SaveAppointmentFile(file, "", "Datum");
        if (findings && TheViews().results) TheViews().results->ShowModal();

        if (Modified == 1) {
            if (mode == "Auto") {
                SaveAppointmentFile(file, "Alles", "Datum");
            } else if (slot == 0) {
                SortEntries(static_cast<int>(EntryTable(HeaderSortChoice, 0).asInteger()));
                FillGrid();
            } else {
                AskSaveIfChanged(file);
            }
        }
    }
    if (auto notification = summary.notification()) Notify(*notification);
    return currentLoaded;
}

}  // namespace tmf
