#include "CheckListEdit.h"

#include "Cp1252.h"
#include "FileIo.h"
#include "ListFiles.h"
#include "Ports.h"
#include "State.h"

namespace tmf {
namespace {
constexpr std::size_t kMaxPathLength = 255;  // the width of a check-list slot
}

int UsedCheckListSlots() {
    int used = 0;
    for (int k = 0; k < kCheckListSlots; ++k)
        if (!CheckList(k).empty()) ++used;
    return used;
}

std::string CheckListPathRefusal(const std::string& path) {
    if (Utf8Length(path) > kMaxPathLength)
        return path +
               "\r\nDer Dateiname ist länger als 255 Zeichen und läßt sich in der Prüfliste nicht "
               "speichern. Bitte wählen Sie einen kürzeren Namen.";
    if (!SurvivesListFile(path))
        return path +
               "\r\nDieser Dateiname läßt sich in der Prüfliste nicht speichern. "
               "Bitte benennen Sie die Datei um.";
    return {};
}

bool FitsCheckList(const std::string& path) {
    const std::string refusal = CheckListPathRefusal(path);
    if (!refusal.empty()) ShowMessage(refusal);
    return refusal.empty();
}

CheckListEditResult EditCheckList(const std::string& text, std::string_view command) {
    const int used = UsedCheckListSlots();
    if (command == "Neu") {
        if (used >= kCheckListSlots) {
            ShowMessage("Prüfliste ist Voll !");
            return CheckListEditResult::ListFull;
        }
        // The program keeps the used slots together, but a "Liste.dat" from
        // elsewhere may have gaps: look at every slot, and move only the
        // slots before the first free one, so that none beyond it is lost.
        for (int k = 0; k < kCheckListSlots; ++k) {
            if (!CheckList(k).empty() && SameFile(CheckList(k), text)) {
                std::swap(CheckList(k), CheckList(0));
                return CheckListEditResult::Done;
            }
        }
        if (const std::string refusal = CheckListPathRefusal(text); !refusal.empty()) {
            ShowMessage(refusal);
            return CheckListEditResult::PathRefused;
        }
        int firstFree = 0;
        while (!CheckList(firstFree).empty()) ++firstFree;
        for (int k = firstFree - 1; k >= 0; --k) CheckList(k + 1) = CheckList(k);
        CheckList(0) = text;
        return CheckListEditResult::Done;
    }
    if (command == "Raus") {
        auto k = ParseInteger(text);
        if (!k || *k < 0 || *k >= kCheckListSlots || used == 0) return CheckListEditResult::NotDone;
        for (int i = static_cast<int>(*k); i <= 99; ++i) CheckList(i) = CheckList(i + 1);
        // Moving up vacates the last slot. On a list without gaps that is the
        // last used one; with gaps, clearing the last used index would drop a
        // listed file and leave slot 100 doubled.
        CheckList(kCheckListSlots - 1).clear();
        return CheckListEditResult::Done;
    }
    if (command == "Vorne") {
        auto k = ParseInteger(text);
        if (!k || *k < 0 || *k >= kCheckListSlots) return CheckListEditResult::NotDone;
        std::swap(CheckList(static_cast<int>(*k)), CheckList(0));
        return CheckListEditResult::Done;
    }
    return CheckListEditResult::NotDone;
}

void ResetFileHeader() {
    EntryTable(HeaderCount, 0) = Cell(0);
    EntryTable(HeaderOutputChoice, 0) = Cell(0);
    EntryTable(HeaderSortChoice, 0) = Cell(0);
    EntryTable(HeaderReserved, 0) = Cell(0);
    EntryTable(HeaderVersion, 0) = Cell(VersionText);
    EntryTable(HeaderLastCheck, 0) = Cell(std::string());
    EntryCount = 0;
    // An empty file is complete: it may be saved in full.
    EntryTableContent = TableContent::Entries;
}

void ResetSettings() {
    SettingsLines(MarkerLine) = "Wuk-Soft98";
    SettingsLines(CheckDaily) = "0";
    SettingsLines(CountdownSeconds) = "3";
    SettingsLines(FontName) = "Arial";
    SettingsLines(CheckAtStart) = "1";
    SettingsLines(CheckInBackground) = "0";
    SettingsLines(WindowOffsetY) = "0";
    SettingsLines(WindowOffsetX) = "0";
}

void ResetData(std::string_view command, const std::string& name) {
    if (command == "F[]") ResetFileHeader();
    if (!name.empty()) {
        ResetSettings();
        CurrentFile() = Utf8Left(DataDir + name, 255);
    }
}

}  // namespace tmf
