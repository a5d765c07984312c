#pragma once
// The ports for a program without windows: messages go to standard error,
// questions are answered "Nein" (nothing is asked in a terminal run), there
// is no sound, and today is the system's date or the one given.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "Ports.h"

namespace tmf::cli {

// The running program file, resolved ("" when the system does not say).
std::string RunningProgramFile();

class TerminalPlatform : public Dialogs, public Clock, public Sound, public Shell, public Processes,
                         public Autostart, public Desktop {
public:
    // Installs this platform as the program's platform (without progress).
    void install();
    void setToday(std::chrono::sys_days day) { today_ = day; }
    // The file the calling thread works on: a message that does not name it
    // is led by its path, so that the user knows which file it is about.
    void setFile(std::string path);

    void ShowMessage(const std::string& text, MessageKind kind) override;
    Answer Ask(const std::string& text, MessageKind kind, Buttons buttons) override;
    std::string InputBox(const std::string&, const std::string&, const std::string& defaultText) override {
        return defaultText;
    }
    std::optional<std::string> OpenFileName(const FileRequest&) override { return std::nullopt; }
    std::optional<std::string> SaveFileName(const FileRequest&) override { return std::nullopt; }

    std::chrono::sys_days Today() override;
    TimeOfDay Now() override;
    std::uint64_t TickMs() override;
    void SleepMs(int ms) override;

    bool Play(const std::string&, bool) override { return true; }
    void Beep() override {}
    bool Open(const std::string&, const std::string&) override { return false; }
    bool RunAndWait(const std::string&, const std::vector<std::string>&, const std::string&) override { return false; }
    std::string ProgramDir() override;
    std::string ProgramFile() override { return RunningProgramFile(); }
    bool Add(const std::string&, const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
    void ProcessPendingMessages() override {}
    ScreenSize Screen() override { return {}; }
    std::string ActiveWindowName() override { return {}; }
    void SetMainWindowEnabled(bool) override {}

private:
    std::optional<std::chrono::sys_days> today_;
};

// While `into` is set, the calling thread's messages are kept there instead
// of being written, so that files checked at the same time report in the
// order of the list; WriteMessages writes them then.
void HoldMessages(std::vector<std::string>* into);
void WriteMessages(const std::vector<std::string>& lines);

// The data folder of the windowed program, decided the same way from the
// layout the program file finds itself in. Ends in "/".
std::string FindDataFolder();

}  // namespace tmf::cli
