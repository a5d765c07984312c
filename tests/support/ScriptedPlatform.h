#pragma once
// A platform for tests: records every message, question, sound and progress
// call; answers questions and input boxes from queues; fails the running
// test when a question comes that no answer was queued for.
#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Ports.h"

namespace tmf::test {

struct Shown {
    std::string text;
    MessageKind kind;
};

struct ProgressCall {
    std::string text;
    float position;
    float total;
    bool operator==(const ProgressCall&) const = default;
};

class ScriptedPlatform : public Dialogs,
                         public Clock,
                         public Sound,
                         public Shell,
                         public Processes,
                         public Autostart,
                         public Desktop,
                         public ProgressSink,
                         public Notifications {
public:
    ScriptedPlatform();
    ~ScriptedPlatform() override;
    // Installs this platform as the program's platform.
    void install();

    // --- what the test scripts
    void setToday(int y, int m, int d);
    void moveDays(int days);
    void setTime(int hour, int minute, int second = 0);
    void queueAnswer(Answer a) { answers.push_back(a); }
    void queueInput(std::string text) { inputs.push_back(std::move(text)); }
    void queueFile(std::optional<std::string> path) { files.push_back(std::move(path)); }

    // --- what the test reads back
    std::vector<Shown> messages;        // messages and questions, in order
    std::vector<std::string> questions; // questions only
    std::vector<std::string> sounds;    // paths played ("+wait" suffix not kept)
    std::vector<bool> soundWaited;
    int beeps = 0;
    std::vector<ProgressCall> progress;
    std::vector<std::string> opened;    // shell opens
    struct Run {
        std::string program;
        std::vector<std::string> arguments;
        std::string folder;
    };
    std::vector<Run> runs;
    std::vector<std::string> autostartCalls;  // "add:path|name", "remove:name"
    int pumps = 0;
    std::vector<bool> mainWindowEnabled;
    std::vector<Notification> notifications;  // every desktop notification sent

    std::vector<std::string> messageTexts() const;
    void clearRecords();

    // --- settings of the fake desktop
    std::deque<Answer> answers;
    std::deque<std::string> inputs;
    std::deque<std::optional<std::string>> files;
    std::string programDir = "/tmp/";
    ScreenSize screen{1024, 768};
    std::string activeWindow = "GebF";
    bool soundFails = false;
    bool openFails = false;  // no program takes the document
    // Runs while a message is shown, as the user's part of a real box.
    std::function<void(const std::string&)> onMessage;
    bool processStarts = true;
    bool autostartWorks = true;
    std::chrono::sys_days today;
    TimeOfDay now{12, 0, 0};
    std::uint64_t tick = 1000;

    // Dialogs
    void ShowMessage(const std::string& text, MessageKind kind) override;
    Answer Ask(const std::string& text, MessageKind kind, Buttons buttons) override;
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& defaultText) override;
    std::optional<std::string> OpenFileName(const FileRequest& request) override;
    std::optional<std::string> SaveFileName(const FileRequest& request) override;
    std::vector<FileRequest> fileRequests;
    // Clock
    std::chrono::sys_days Today() override { return today; }
    TimeOfDay Now() override { return now; }
    std::uint64_t TickMs() override { return tick; }
    void SleepMs(int ms) override { tick += static_cast<std::uint64_t>(ms); }
    // Sound
    bool Play(const std::string& path, bool wait) override;
    void Beep() override { ++beeps; }
    // Shell, processes, autostart
    bool Open(const std::string& target, const std::string& folder) override;
    bool RunAndWait(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& folder) override;
    std::string ProgramDir() override { return programDir; }
    bool Add(const std::string& programPath, const std::string& itemName) override;
    bool Remove(const std::string& itemName) override;
    // Desktop
    void ProcessPendingMessages() override { ++pumps; }
    ScreenSize Screen() override { return screen; }
    std::string ActiveWindowName() override { return activeWindow; }
    void SetMainWindowEnabled(bool enabled) override { mainWindowEnabled.push_back(enabled); }
    void Notify(const Notification& n) override { notifications.push_back(n); }
    // Progress
    void ShowProgress(const std::string& text, float position, float total) override {
        progress.push_back({text, position, total});
    }
};

}  // namespace tmf::test
