#pragma once
// The desktop notification that goes with each results window, so that what
// the check found reaches the user even when no window of the program is
// looked at (a check at login, the window behind others).
#include <optional>

#include "Ports.h"

namespace tmf {

// What the results window about to be shown says, from CheckResults and the
// loaded file: the window's own count line ("2 Termin(e) , 5 Warnung(en)",
// then " , 1 Übergangen" when entries were passed over) as the summary; the
// file and up to kBodyEntries of the window's rows, in the window's order and
// words, as the body. Nothing when there are no rows.
std::optional<Notification> ResultsNotification();

inline constexpr int kBodyEntries = 5;

}  // namespace tmf
