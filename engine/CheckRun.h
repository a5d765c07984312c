#pragma once
// The check run: walks every file of the check list, reports first and
// second warnings, dates due today and dates passed over since the file's
// last check, keeps each entry's warning state in the file, and saves.
#include <optional>
#include <string_view>

#include "Cell.h"

namespace tmf {

// The output and sort choices the main window shows for the current file.
struct ShownChoices {
    Cell output;
    Cell sort;
};

// mode "Auto" (start-up: changed files are saved) or "Manuel" (by hand:
// changed files other than the current one are offered for saving). Returns
// false when the current file (slot 0) could not be loaded; nothing has been
// written into it then. With shown, the current file keeps those choices
// when the run loads it again: they were made in the window since its last
// write and live nowhere else.
bool CheckDates(std::string_view mode, const std::optional<ShownChoices>& shown = std::nullopt);

// True while a check run is under way; a second one must not start.
bool CheckRunning();

}  // namespace tmf
