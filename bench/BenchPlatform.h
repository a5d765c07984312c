#pragma once
// A platform that stays out of the way of the measurements: no progress
// display, no window, a fixed day. Messages are only counted, so a benchmark
// can refuse to report figures of a run that complained.
#include <chrono>
#include <string>
#include <vector>

#include "Ports.h"

namespace tmf::bench {

class BenchPlatform final : public Dialogs,
                            public Clock,
                            public Sound,
                            public Shell,
                            public Processes,
                            public Autostart,
                            public Desktop,
                            public ProgressSink {
public:
    void install() { InstallPlatform(WholePlatform(*this)); }

    int messages = 0;
    std::string lastMessage;

    void ShowMessage(const std::string& text, MessageKind) override {
        ++messages;
        lastMessage = text;
    }
    Answer Ask(const std::string&, MessageKind, Buttons) override { return Answer::No; }
    std::string InputBox(const std::string&, const std::string&, const std::string& d) override { return d; }
    std::optional<std::string> OpenFileName(const FileRequest&) override { return std::nullopt; }
    std::optional<std::string> SaveFileName(const FileRequest&) override { return std::nullopt; }

    std::chrono::sys_days Today() override { return std::chrono::year{2024} / std::chrono::June / 15; }
    TimeOfDay Now() override { return {12, 0, 0}; }
    std::uint64_t TickMs() override { return 0; }
    void SleepMs(int) override {}

    bool Play(const std::string&, bool) override { return true; }
    void Beep() override {}
    bool Open(const std::string&, const std::string&) override { return false; }
    bool RunAndWait(const std::string&, const std::vector<std::string>&, const std::string&) override { return false; }
    std::string programDirOverride = "./";
    std::string ProgramDir() override { return programDirOverride; }
    bool Add(const std::string&, const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }

    void ProcessPendingMessages() override {}
    ScreenSize Screen() override { return {}; }
    std::string ActiveWindowName() override { return {}; }
    void SetMainWindowEnabled(bool) override {}
    void ShowProgress(const std::string&, float, float) override {}
};

}  // namespace tmf::bench
