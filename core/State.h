#pragma once
// The program's one process-wide state. Every window, the check run, the sort
// and printing work on it directly; there is no document object.
#include <array>
#include <cstdint>
#include <string>

#include "EntryTable.h"

namespace tmf {

inline constexpr const char* kVersionText = "2.27";
inline constexpr int kListLineCount = 121;
inline constexpr int kSettingsLineCount = 20;
inline constexpr int kCheckListSlots = 101;
inline constexpr int kTermNameSlots = 101;
inline constexpr int kMaxEntries = 32000;

// Settings lines (0..19 of ListLines).
enum SettingsLine : int {
    MarkerLine = 10,
    CheckDaily = 12,
    CountdownSeconds = 14,
    FontName = 15,
    CheckAtStart = 16,
    CheckInBackground = 17,
    WindowOffsetY = 18,
    WindowOffsetX = 19,
};

// Editor modes.
inline constexpr const char* kModeNew = "Eintrag NEU";
inline constexpr const char* kModeEdit = "Eintrag BEARBEITEN";
inline constexpr const char* kModeCheck = "Prüfen";
inline constexpr const char* kModeDelete = "löschen";

// What the entry table holds of its file: every entry, or only the header
// record of a header-only load (the rows beyond it belong to whatever was
// there before). Only a table of entries may be saved in full.
enum class TableContent { Entries, HeaderOnly };

extern EntryTableType EntryTable;
extern TableContent EntryTableContent;
extern std::int32_t EntryCount;
extern std::int32_t Modified;
extern std::array<std::string, kListLineCount> ListLines;
extern std::array<std::string, kTermNameSlots> TermNames;
extern std::int32_t SelectedEntry;
extern std::int32_t EditIndex;
extern std::string EditorMode;
extern std::int32_t AutostartRequest;
extern std::string VersionText;
extern std::string ProgramDir;
extern std::string DataDir;
extern std::string SoundDir;
extern std::string SpecialDir;
// Beyond the classic folders: the program file really running (for the
// autostart entry), where the description document lies, and where the file
// pickers open (the program folder is no place for data once installed).
extern std::string ProgramFile;
extern std::string DocumentDir;
extern std::string FileDialogDir;

inline std::string& SettingsLines(int line) { return ListLines.at(static_cast<std::size_t>(line)); }
inline std::string& CheckList(int slot) { return ListLines.at(static_cast<std::size_t>(20 + slot)); }
inline std::string& CurrentFile() { return CheckList(0); }
// A settings line read as an integer (0 when it is not a number).
// The last row that is an entry both by EntryCount and in the table: the two
// part for a moment while a load or a resize is under way.
int LastEntryRow();
std::int64_t SettingValue(int line);
inline bool SettingOn(int line) { return SettingValue(line) == 1; }

// Rows 0..n kept, the rest dropped, empty rows added.
void ResizeEntryTable(int lastRow);
// Moves the rows after r up by one and decreases EntryCount.
void DeleteEntry(int row);
void SwapEntries(int a, int b);

// Long operations on the entry table let window messages through while they
// report progress; a command that changes the table must not start in the
// middle of one. Each such operation holds a TableOperation while it runs.
class TableOperation {
public:
    TableOperation();
    ~TableOperation();
    TableOperation(const TableOperation&) = delete;
    TableOperation& operator=(const TableOperation&) = delete;
};
bool TableOperationRunning();

// The state as at program start, before anything is loaded.
void ResetProgramState();

}  // namespace tmf
