#include "Funky.h"

#include <vector>

#include "FileIo.h"
#include "Ports.h"
#include "ProgramFolders.h"
#include "State.h"

namespace tmf {

void SetupFolders() {
    const ProgramFolders f = LocateProgramFolders(ThePlatform().processes->ProgramFile());
    // A folder that cannot be made is reported by DataFolderReady.
    if (f.installed) MakeDataFolder(f.data);
    ProgramFile = f.programFile;
    ProgramDir = f.program;
    DataDir = f.data;
    SoundDir = f.sounds;
    SpecialDir = f.special;
    DocumentDir = f.documents;
    FileDialogDir = f.dialogStart;
}

WindowPos PlaceWindow(int width, int height, int dx, int dy) {
    ScreenSize screen = ThePlatform().desktop->Screen();
    return {(screen.width - width) / 2 + dx, (screen.height - height) / 2 + dy};
}

WindowPos WindowOffsets(int left, int top, int width, int height) {
    ScreenSize screen = ThePlatform().desktop->Screen();
    return {left - (screen.width - width) / 2, top - (screen.height - height) / 2};
}

void PlaySound(const std::string& name, int mode) {
    bool wait;
    if (mode == 0) {
        wait = false;
    } else if (mode == 1) {
        wait = true;
    } else {
        ShowMessage("ID Nummer für Wav nicht bekannt !");
        wait = (mode & 1) == 0;  // the bit that asks for asynchronous playback
    }
    if (!ThePlatform().sound->Play(SoundDir + name + ".wav", wait)) ShowMessage("Sound defekt !");
}

void WaitSeconds(int noEvents, double seconds) {
    Clock& clock = *ThePlatform().clock;
    const std::uint64_t t0 = clock.TickMs();
    const double wanted = seconds * 1000.0;
    // repeat ... until: pending events are served at least once, even for 0 s.
    while (true) {
        if (noEvents == 0) ProcessPendingMessages();
        if (static_cast<double>(clock.TickMs() - t0) >= wanted) break;
        clock.SleepMs(1);
    }
}

bool RunAndWait(const std::string& program, const std::string& parameters, const std::string& folder) {
    // The command line is program + " " + parameters: empty parameters are no
    // argument at all, not one empty argument.
    std::vector<std::string> arguments;
    if (!parameters.empty()) arguments.push_back(parameters);
    if (ThePlatform().processes->RunAndWait(program, arguments, folder)) return true;
    ShowMessage("Fehler beim Aufruf von " + folder + program + " !", MessageKind::Error);
    return false;
}

std::string RepeatText(int count, const std::string& text) {
    std::string s;
    for (int i = 0; i < count; ++i) s += text;
    return s;
}

void ProcessPendingMessages() { ThePlatform().desktop->ProcessPendingMessages(); }

}  // namespace tmf
