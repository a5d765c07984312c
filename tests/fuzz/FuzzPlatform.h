#pragma once
// The quietest platform that lets the readers run: dialogs only count what
// they were asked to show, the clock stands still on 15.06.2024, nothing
// plays, opens or starts. Header-only so that the gtest build can share it
// with the fuzz targets without a library of its own.
#include <chrono>
#include <string>
#include <vector>

#include "Ports.h"

namespace tmf::fuzz {

class FuzzPlatform final : public Dialogs,
                           public Clock,
                           public Sound,
                           public Shell,
                           public Processes,
                           public Autostart,
                           public Desktop,
                           public ProgressSink {
public:
    // Installs itself and puts the former platform back when it goes.
    FuzzPlatform() : previous_(ThePlatform()) { InstallPlatform(WholePlatform(*this)); }
    ~FuzzPlatform() override { InstallPlatform(previous_); }
    FuzzPlatform(const FuzzPlatform&) = delete;
    FuzzPlatform& operator=(const FuzzPlatform&) = delete;

    int messages = 0;
    int questions = 0;
    int sounds = 0;
    std::string lastMessage;
    std::chrono::sys_days today{std::chrono::year{2024} / std::chrono::June / 15};

    void ShowMessage(const std::string& text, MessageKind) override {
        ++messages;
        lastMessage = text;
    }
    Answer Ask(const std::string&, MessageKind, Buttons) override {
        ++questions;
        return Answer::No;
    }
    std::string InputBox(const std::string&, const std::string&, const std::string& defaultText) override {
        return defaultText;
    }
    std::optional<std::string> OpenFileName(const FileRequest&) override { return std::nullopt; }
    std::optional<std::string> SaveFileName(const FileRequest&) override { return std::nullopt; }

    std::chrono::sys_days Today() override { return today; }
    TimeOfDay Now() override { return {12, 0, 0}; }
    std::uint64_t TickMs() override { return tick_; }
    void SleepMs(int ms) override { tick_ += static_cast<std::uint64_t>(ms); }

    bool Play(const std::string&, bool) override {
        ++sounds;
        return true;
    }
    void Beep() override {}
    bool Open(const std::string&, const std::string&) override { return false; }
    bool RunAndWait(const std::string&, const std::vector<std::string>&, const std::string&) override {
        return false;
    }
    std::string ProgramDir() override { return "/nonexistent/"; }
    bool Add(const std::string&, const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }

    void ProcessPendingMessages() override {}
    ScreenSize Screen() override { return {}; }
    std::string ActiveWindowName() override { return "GebF"; }
    void SetMainWindowEnabled(bool) override {}
    void ShowProgress(const std::string&, float, float) override {}

private:
    Platform previous_;
    std::uint64_t tick_ = 0;
};

}  // namespace tmf::fuzz
