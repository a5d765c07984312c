#include "State.h"

#include "AppointmentFile.h"
#include "ListFiles.h"

namespace tmf {

EntryTableType EntryTable;
TableContent EntryTableContent = TableContent::Entries;
std::int32_t EntryCount = 0;
std::int32_t Modified = 0;
std::array<std::string, kListLineCount> ListLines;
std::array<std::string, kTermNameSlots> TermNames;
std::int32_t SelectedEntry = 0;
std::int32_t EditIndex = 0;
std::string EditorMode;
std::int32_t AutostartRequest = -1;
std::string VersionText = kVersionText;
std::string ProgramDir;
std::string DataDir;
std::string SoundDir;
std::string SpecialDir;
std::string ProgramFile;
std::string DocumentDir;
std::string FileDialogDir;

int LastEntryRow() { return EntryCount < EntryTable.lastRow() ? EntryCount : EntryTable.lastRow(); }

std::int64_t SettingValue(int line) { return StrToIntDef(SettingsLines(line), 0); }

void ResizeEntryTable(int lastRow) { EntryTable.resize(lastRow); }

void DeleteEntry(int row) {
    if (row < 1 || row > EntryCount) return;
    // Rows move by value so that the row after the new last entry keeps a copy
    // of the former last entry, as readers never look past EntryCount.
    for (int r = row; r < EntryCount; ++r) EntryTable.row(r) = EntryTable.row(r + 1);
    --EntryCount;
}

void SwapEntries(int a, int b) { EntryTable.swapRows(a, b); }

namespace {
int gTableOperations = 0;
}

TableOperation::TableOperation() { ++gTableOperations; }
TableOperation::~TableOperation() { --gTableOperations; }
bool TableOperationRunning() { return gTableOperations > 0; }

void ResetProgramState() {
    ForgetAllLoadFailures();
    ForgetListLoadFailure();
    EntryTable = EntryTableType();
    EntryTableContent = TableContent::Entries;
    EntryCount = 0;
    Modified = 0;
    ListLines.fill({});
    TermNames.fill({});
    SelectedEntry = 0;
    EditIndex = 0;
    EditorMode.clear();
    AutostartRequest = -1;
    VersionText = kVersionText;
}

}  // namespace tmf
