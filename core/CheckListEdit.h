#pragma once
// Maintenance of the check list (slot 0 is the current file) and the resets
// that give a new file its empty header and the settings their defaults.
#include <cstddef>
#include <string>
#include <string_view>

namespace tmf {

enum class CheckListEditResult {
    Done,
    ListFull,     // "Prüfliste ist Voll !" was shown; nothing changed
    PathRefused,  // the path cannot be stored in "Liste.dat"; the reason was shown, nothing changed
    NotDone,      // an unknown command or a slot number that names no slot
};

// "Neu" (text = path): make the file current, adding it at the front if it is
// not listed; "Raus" (text = slot number): remove the slot; "Vorne" (text =
// slot number): swap the slot with slot 0. Any other command does nothing.
// A refusal is shown to the user here and reported to the caller, who must
// then leave the current file as it is.
CheckListEditResult EditCheckList(const std::string& text, std::string_view command);

// Why a path cannot become a check-list slot, as EditCheckList shows it: a
// path longer than the 255 characters of a slot (cutting it would name
// another file), or one whose stored line would break "Liste.dat". Empty
// when the path can be stored. For every place that makes a path current
// without EditCheckList.
std::string CheckListPathRefusal(const std::string& path);
inline bool PathFitsCheckList(const std::string& path) {
    return CheckListPathRefusal(path).empty();
}
// The same test, showing the refusal when there is one.
bool FitsCheckList(const std::string& path);
// Number of non-empty check-list slots.
int UsedCheckListSlots();

void ResetFileHeader();
void ResetSettings();
// "F[]" resets the header; a non-empty name resets the settings and makes
// DataDir + name the current file.
void ResetData(std::string_view command, const std::string& name);

}  // namespace tmf
