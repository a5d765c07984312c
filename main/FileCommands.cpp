// "&Neu / Laden", "&Speichern " and "Datei &Löschen": appointment files as
// a whole.
#include <array>

#include "AppointmentFile.h"
#include "CheckListEdit.h"
#include "FileIo.h"
#include "Gebfrm.h"
#include "Grid.h"
#include "Ports.h"
#include "State.h"
#include "ui_Gebfrm.h"

using namespace tmf;

namespace {

std::array<std::string, kCheckListSlots> SavedCheckList() {
    std::array<std::string, kCheckListSlots> saved;
    for (int k = 0; k < kCheckListSlots; ++k) saved[static_cast<std::size_t>(k)] = CheckList(k);
    return saved;
}

void RestoreCheckList(const std::array<std::string, kCheckListSlots>& saved) {
    for (int k = 0; k < kCheckListSlots; ++k) CheckList(k) = saved[static_cast<std::size_t>(k)];
}

}  // namespace

bool TGebF::MakeCurrent(const std::string& path, bool exists) {
    const auto before = SavedCheckList();
    EditCheckList(path, "Neu");
    // A full check list refuses the file ("Prüfliste ist Voll !" was shown):
    // the current file stays loaded and untouched.
    if (!SameFile(CurrentFile(), path)) return false;
    if (exists) {
        if (!IsLoaded(LoadAppointmentFile(CurrentFile(), "Alles"))) {
            // The load said why; the entries in memory still belong to the
            // old current file, which must stay current so nothing is
            // written into the file that could not be read.
            RestoreCheckList(before);
            return false;
        }
    } else {
        // A new file has no choices of its own yet: it keeps the window's.
        const Cell output = EntryTable(HeaderOutputChoice, 0), sort = EntryTable(HeaderSortChoice, 0);
        ResetData("F[]", "");
        EntryTable(HeaderOutputChoice, 0) = output;
        EntryTable(HeaderSortChoice, 0) = sort;
        SaveAppointmentFile(CurrentFile(), "", "Datum");
    }
    return true;
}

void TGebF::BitBtn12Click() {
    if (TableOperationRunning()) return;
    auto chosen = ThePlatform().dialogs->OpenFileName({"Datei Anlegen oder Laden .", FileDialogDir, "*.tmf", true});
    if (!chosen || chosen->empty()) return;
    TableOperation busy;
    const bool exists = FileExists(*chosen);
    if (!OfferSaveBeforeReplacing()) return;
    MakeCurrent(*chosen, exists);
    // A file comes with its own output and sort choices; the lists show
    // them and the grid is in that order, as at start-up.
    SortAndFillGrid();
}

void TGebF::BitBtn3Click() {
    if (TableOperationRunning()) return;
    auto chosen = ThePlatform().dialogs->SaveFileName(
        {"Datei Speichern", ExtractFileDir(CurrentFile()), ExtractFileName(CurrentFile()), false});
    if (!chosen || chosen->empty()) return;
    // The new name goes into the check list's slot 0: one that the list
    // cannot hold would come back as another name at the next start.
    if (!FitsCheckList(*chosen)) return;
    TableOperation busy;
    const std::string old = CurrentFile();
    ForgetLoadFailure(*chosen);  // the save dialog asked before replacing it
    CurrentFile() = *chosen;
    if (!SaveAppointmentFile(CurrentFile(), "Alles", "Datum")) {
        // Nothing was written: the entries still belong to the old name.
        CurrentFile() = old;
        return;
    }
    SetStatusPanel(0, CurrentFile());
}

void TGebF::BitBtn4Click() {
    if (TableOperationRunning()) return;
    auto chosen = ThePlatform().dialogs->OpenFileName({"Datei löschen", FileDialogDir, "*.tmf", false});
    if (!chosen || chosen->empty() || !FileExists(*chosen)) return;
    const std::string path = *chosen;
    if (SameFile(path, CurrentFile())) {
        ShowMessage("Nicht die Aktuelle Datei löschen.");
        return;
    }
    // Which slots name this file must be known before it is gone from disk.
    std::array<bool, kCheckListSlots> listed{};
    for (int i = 1; i < kCheckListSlots; ++i) listed[static_cast<std::size_t>(i)] = !CheckList(i).empty() && SameFile(CheckList(i), path);
    if (Ask(path + " wirklich LÖSCHEN ?", MessageKind::Confirmation, Buttons::YesNo) == Answer::Yes) DeleteFile(path);
    for (int i = kCheckListSlots - 1; i >= 1; --i)
        if (listed[static_cast<std::size_t>(i)]) EditCheckList(std::to_string(i), "Raus");
}
