#pragma once
// The spine of a program run: state and files at start, the start-up
// decision while the splash is shown, and the exit procedure.
#include <string>

namespace tmf {

// Folders, state, "Liste.dat", the default file, the splash (which runs the
// start-up decision), then the main window filled, sorted and shown.
void InitProgram();

// What the splash does when it is first activated: load the current file's
// header, check (at every start, or at the first start of a day) or just
// load it, stamp it with today's date. Returns false when the current file
// could not be loaded; the program has then switched to "TestDatei.tmf" and
// must end.
bool StartupDecision();

// After the current file failed to load: makes "TestDatei.tmf" (or, when
// that is the broken file, a free "TestDateiN.tmf") the current file with an
// empty header, keeping the settings and the broken file on the check list.
// On a full check list the test file takes the broken file's slot. False
// when the test file's path cannot be listed; the broken file stays current.
bool SwitchToTestFile();

// Countdown seconds of the background mode: the stored value, at least 1 and
// at most what the splash window's counter holds (3 when it is not a
// number), so the countdown always ends. The settings dialog offers 1 to 10,
// but a larger value written by hand counts as it is.
inline constexpr int kCountdownCounterMax = 32767;
int CountdownLimit();

// The exit procedure EndeClick: sound, "Liste.dat", autostart request, the
// save question, the header stamp, the window offsets, "Liste.dat" again.
// Returns false when the user cancelled (or the file could not be saved) and
// the program goes on running.
bool ExitProcedure();

// Rewrites the current file's header with today's date (the whole table
// when the file has vanished); never into a file that failed to load.
void StampCurrentFile();

// True once the program has been told to end.
bool ProgramEnding();
void SetProgramEnding(bool ending);

// Adds (mode 1) or removes (mode 0) the program's autostart entry.
void RegisterAutostart(int mode, const std::string& commandLine, const std::string& itemName);

}  // namespace tmf
