#pragma once
// Small services: the program's folders, window placement from the screen
// centre, sounds, waiting, starting other programs.
#include <string>

namespace tmf {

// The folders from the running program file's layout (see ProgramFolders.h);
// an installed program's data folder is made here on its first start.
void SetupFolders();

struct WindowPos {
    int left = 0;
    int top = 0;
};
// Left = (screen width - width) div 2 + dx, top likewise; div truncates
// toward zero.
WindowPos PlaceWindow(int width, int height, int dx, int dy);
// The reverse: the offsets of a window from its centred position.
WindowPos WindowOffsets(int left, int top, int width, int height);

// mode 1 plays SoundDir + name + ".wav" to its end, mode 0 starts it and
// returns; other modes show "ID Nummer für Wav nicht bekannt !".
void PlaySound(const std::string& name, int mode);
// Busy wait; noEvents = 0 keeps the windows served meanwhile.
void WaitSeconds(int noEvents, double seconds);
// Starts program with the parameters in folder and waits for its end.
bool RunAndWait(const std::string& program, const std::string& parameters, const std::string& folder);
std::string RepeatText(int count, const std::string& text);
void ProcessPendingMessages();

}  // namespace tmf
