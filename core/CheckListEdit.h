#pragma once
// Maintenance of the check list (slot 0 is the current file) and the resets
// that give a new file its empty header and the settings their defaults.
#include <cstddef>
#include <string>
#include <string_view>

namespace tmf {

// "Neu" (text = path): make the file current, adding it at the front if it is
// not listed; "Raus" (text = slot number): remove the slot; "Vorne" (text =
// slot number): swap the slot with slot 0. Any other command does nothing.
void EditCheckList(const std::string& text, std::string_view command);
inline constexpr std::size_t kMaxCheckListPath = 255;
// True when the path can stand in the check list as it is: at most 255
// characters, and a stored line that reads back as the same path. Otherwise
// says why (in German) and returns false; "Neu" refuses such a path.
bool FitsCheckList(const std::string& path);
// Number of non-empty check-list slots.
int UsedCheckListSlots();

void ResetFileHeader();
void ResetSettings();
// "F[]" resets the header; a non-empty name resets the settings and makes
// DataDir + name the current file.
void ResetData(std::string_view command, const std::string& name);

}  // namespace tmf
