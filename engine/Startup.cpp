#include "Startup.h"

#include <chrono>
#include <utility>

#include "AppointmentFile.h"
#include "CheckListEdit.h"
#include "CheckResults.h"
#include "CheckRun.h"
#include "Dates.h"
#include "FileIo.h"
#include "Funky.h"
#include "Grid.h"
#include "ListFiles.h"
#include "Ports.h"
#include "Sort.h"
#include "State.h"
#include "Views.h"

namespace tmf {

namespace {

bool gEnding = false;

constexpr const char* kApplicationTitle = "Termifolio98";

// The current file could not be loaded at start-up. The program switches to
// "TestDatei.tmf" and ends; writing "Liste.dat" now makes the next start
// open that file instead of failing on the same one again.
void TakeLoadFailurePath() {
    if (SwitchToTestFile()) {
        if (!FileExists(CurrentFile())) SaveAppointmentFile(CurrentFile(), "", "Datum");
        SaveCheckList();
    }
    SetProgramEnding(true);
}

// The slot that names the file, or -1.
int ListedSlot(const std::string& path) {
    for (int k = 0; k < kCheckListSlots; ++k)
        if (!CheckList(k).empty() && SameFile(CheckList(k), path)) return k;
    return -1;
}

}  // namespace

bool SwitchToTestFile() {
    const std::string broken = CurrentFile();
    std::string testFile = DataDir + kTestFileName;
    // When the test file itself is what failed, a fresh one takes its place:
    // nothing is ever written into a file that could not be read.
    for (int n = 2; SameFile(testFile, broken) && n < 1000; ++n)
        testFile = DataDir + "TestDatei" + std::to_string(n) + ".tmf";
    // The settings stay, and the broken file stays on the check list (one
    // slot down), so that it is checked again once it can be read. A full
    // list has no room for both: the test file then takes the broken file's
    // slot, or every later start would fail on the same file again.
    if (UsedCheckListSlots() < kCheckListSlots) {
        EditCheckList(testFile, "Neu");
    } else if (const int slot = ListedSlot(testFile); slot >= 0) {
        std::swap(CheckList(slot), CheckList(0));
    } else if (FitsCheckList(testFile)) {
        CurrentFile() = testFile;
    }
    if (!SameFile(CurrentFile(), testFile)) return false;  // the path cannot be listed; that was said
    ResetFileHeader();
    return true;
}

bool ProgramEnding() { return gEnding; }
void SetProgramEnding(bool ending) { gEnding = ending; }

int CountdownLimit() {
    auto v = ParseInteger(SettingsLines(CountdownSeconds));
    if (!v) return 3;
    // The counter starts at 1 and counts up to the limit: one it never
    // reaches would keep the splash window open for good.
    if (*v < 1) return 1;
    if (*v > kCountdownCounterMax) return kCountdownCounterMax;
    return static_cast<int>(*v);
}

void InitProgram() {
    SetupFolders();
    VersionText = kVersionText;
    EntryTable = EntryTableType();
    CheckResults = CheckResultsType();
    AutostartRequest = -1;

    const bool haveList = FileExists(DataDir + kCheckListFileName);
    if (haveList) LoadCheckList();
    if (!haveList || CurrentFile().empty()) {
        ResetData("F[]", kDefaultFileName);
        if (!FileExists(DataDir + kDefaultFileName)) SaveAppointmentFile(CurrentFile(), "", "Datum");
    }

    Views& v = TheViews();
    if (v.main) {
        const WindowRect r = v.main->Geometry();
        const WindowPos p = PlaceWindow(r.width, r.height, static_cast<int>(SettingValue(WindowOffsetX)),
                                        static_cast<int>(SettingValue(WindowOffsetY)));
        v.main->MoveTo(p.left, p.top);
    }
    if (v.splash) v.splash->ShowModal();
    if (ProgramEnding()) return;

    if (v.main)
        v.main->FillChoiceLists(static_cast<int>(EntryTable(HeaderOutputChoice, 0).asInteger()),
                                static_cast<int>(EntryTable(HeaderSortChoice, 0).asInteger()));
    LoadTermNames();
    if (v.main) {
        v.main->SetCaption(std::string(kApplicationTitle) + " " + VersionText.substr(0, 4) + " - 32bit");
        v.main->ShowWindow();
    }
    SetupGrid();
    SortAndFillGrid();
}

bool StartupDecision() {
    if (!IsLoaded(LoadAppointmentFile(CurrentFile(), ""))) {
        TakeLoadFailurePath();
        return false;
    }
    bool check = false;
    if (SettingOn(CheckAtStart)) {
        check = true;
    } else if (SettingOn(CheckDaily)) {
        // An empty or broken last check date cannot prove that today's check
        // has run, so it checks.
        const auto last = ParseDate(EntryTable(HeaderLastCheck, 0).asText());
        check = !last || std::chrono::sys_days{*last} != Today();
    }
    const bool loaded = check ? CheckDates("Auto") : IsLoaded(LoadAppointmentFile(CurrentFile(), "Alles"));
    if (!loaded) {
        TakeLoadFailurePath();
        return false;
    }
    if (TheViews().splash) TheViews().splash->SetFileCaption(ExtractFileName(CurrentFile()));
    // A failed stamp keeps what the check changed marked as unsaved, so the
    // exit offers it again instead of dropping it.
    if (SaveAppointmentFile(CurrentFile(), "Alles", "Datum")) Modified = 0;
    if (TheViews().main) TheViews().main->HideInternalGroup();
    return true;
}

void RegisterAutostart(int mode, const std::string& commandLine, const std::string& itemName) {
    Autostart& autostart = *ThePlatform().autostart;
    if (mode != 0) {
        if (!autostart.Add(commandLine, itemName)) ShowMessage("Konnte AUTOSTART Icon nicht verknüpfen !");
    } else {
        autostart.Remove(itemName);
    }
}

void StampCurrentFile() {
    if (FailedToLoad(CurrentFile())) return;  // its header is not what the table holds
    // If the file has vanished meanwhile, a header alone would promise
    // entries that are not there, so the whole table is written instead.
    if (FileExists(CurrentFile())) SaveAppointmentFile(CurrentFile(), "", "Datum");
    else SaveAppointmentFile(CurrentFile(), "Alles", "Datum");
}

bool ExitProcedure() {
    PlaySound("close", 1);
    SaveCheckList();
    if (AutostartRequest > -1) RegisterAutostart(AutostartRequest, ProgramFile, kApplicationTitle);
    if (Modified == 1) {
        SaveTermNames();
        const Answer a = Ask(CurrentFile() + ", wurde geändert.\r\nDatei abspeichern ?", MessageKind::Confirmation,
                             Buttons::YesNoCancel);
        if (a == Answer::Cancel) return false;
        // A failed save keeps the program running, so the changes are not
        // thrown away with it; the message has told the user why.
        if (a == Answer::Yes && !SaveAppointmentFile(CurrentFile(), "Alles", "Datum")) return false;
    }
    StampCurrentFile();

    if (MainView* main = TheViews().main) {
        const WindowRect r = main->Geometry();
        const ScreenSize screen = ThePlatform().desktop->Screen();
        const int cx = r.left + r.width / 2;
        const int cy = r.top + r.height / 2;
        if (cx < 0 || cx >= screen.width || cy < 0 || cy >= screen.height) {
            ThePlatform().sound->Beep();
            SettingsLines(WindowOffsetX) = "0";
            SettingsLines(WindowOffsetY) = "0";
        } else {
            const WindowPos offsets = WindowOffsets(r.left, r.top, r.width, r.height);
            SettingsLines(WindowOffsetX) = std::to_string(offsets.left);
            SettingsLines(WindowOffsetY) = std::to_string(offsets.top);
        }
    }
    SaveCheckList();
    SetProgramEnding(true);
    return true;
}

}  // namespace tmf
