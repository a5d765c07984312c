#pragma once
// Everything that touches the desktop goes through these interfaces. The Qt
// program installs its implementations at start; the tests install a scripted
// platform that records what was shown and answers from a queue.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace tmf {

enum class MessageKind { Information, Warning, Error, Confirmation };
enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void ShowMessage(const std::string& text, MessageKind kind) = 0;
    virtual Answer Ask(const std::string& text, MessageKind kind, Buttons buttons) = 0;
    // Returns the entered text on OK and defaultText on Cancel.
    virtual std::string InputBox(const std::string& caption, const std::string& prompt,
                                 const std::string& defaultText) = 0;
    struct FileRequest {
        std::string title;
        std::string folder;
        std::string fileName;     // preset of the name field, e.g. "*.tmf"
        bool askToCreate = false; // open dialog: ask before accepting a missing file
        // Other kinds of file than appointment files: the filter entry, e.g.
        // "vCard-Dateien (*.vcf)", and the extension added to a bare name.
        std::string filter;
        std::string defaultSuffix;
    };
    virtual std::optional<std::string> OpenFileName(const FileRequest& request) = 0;
    virtual std::optional<std::string> SaveFileName(const FileRequest& request) = 0;
};

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::sys_days Today() = 0;
    virtual TimeOfDay Now() = 0;
    virtual std::uint64_t TickMs() = 0;  // monotonic milliseconds
    virtual void SleepMs(int ms) = 0;    // lets the tick count advance
};

class Sound {
public:
    virtual ~Sound() = default;
    // Plays a WAV file; wait = true returns when it has ended. False when the
    // playback could not be started.
    virtual bool Play(const std::string& path, bool wait) = 0;
    virtual void Beep() = 0;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a document or address with its associated program.
    virtual bool Open(const std::string& target, const std::string& folder) = 0;
};

class Processes {
public:
    virtual ~Processes() = default;
    // Starts program with the arguments in folder and waits for its end.
    // False when it could not be started.
    virtual bool RunAndWait(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& folder) = 0;
    // Folder of the running program file, ending in "/".
    virtual std::string ProgramDir() = 0;
    // The running program file itself; the build tree's name by default.
    virtual std::string ProgramFile();
};

class Autostart {
public:
    virtual ~Autostart() = default;
    virtual bool Add(const std::string& programPath, const std::string& itemName) = 0;
    virtual bool Remove(const std::string& itemName) = 0;
};

struct ScreenSize {
    int width = 1024;
    int height = 768;
};

class Desktop {
public:
    virtual ~Desktop() = default;
    virtual void ProcessPendingMessages() = 0;
    virtual ScreenSize Screen() = 0;
    // Name of the program's active window ("StartF", "GebF", "EinF", ...),
    // empty when none of its windows is active.
    virtual std::string ActiveWindowName() = 0;
    // The main window is disabled while the entries are sorted.
    virtual void SetMainWindowEnabled(bool enabled) = 0;
};

// Where long operations report their progress; the engine installs the
// program's progress display here.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void ShowProgress(const std::string& text, float position, float total) = 0;
};

// A desktop notification: a one-line summary and a body of a few lines.
struct Notification {
    std::string summary;
    std::string body;
    bool operator==(const Notification&) const = default;
};

class Notifications {
public:
    virtual ~Notifications() = default;
    // Hands the notification to the desktop and returns at once; without a
    // desktop that shows notifications nothing happens.
    virtual void Notify(const Notification& notification) = 0;
};

struct Platform {
    Dialogs* dialogs = nullptr;
    Clock* clock = nullptr;
    Sound* sound = nullptr;
    Shell* shell = nullptr;
    Processes* processes = nullptr;
    Autostart* autostart = nullptr;
    Desktop* desktop = nullptr;
    ProgressSink* progress = nullptr;
    Notifications* notifications = nullptr;  // optional: none, no notifications
};

// A platform whose every port is one object, as the test, benchmark and
// fuzzing platforms are.
template <class All>
Platform WholePlatform(All& all) {
    Platform p;
    p.dialogs = &all;
    p.clock = &all;
    p.sound = &all;
    p.shell = &all;
    p.processes = &all;
    p.autostart = &all;
    p.desktop = &all;
    p.progress = &all;
    if constexpr (std::is_base_of_v<Notifications, All>) p.notifications = &all;
    return p;
}

// The installed platform; every member must be set before the program runs.
Platform& ThePlatform();
void InstallPlatform(const Platform& platform);

// Short cuts used all over the program.
void ShowMessage(const std::string& text, MessageKind kind = MessageKind::Information);
Answer Ask(const std::string& text, MessageKind kind, Buttons buttons);
std::chrono::sys_days Today();
void ShowProgress(const std::string& text, float position, float total);
void Notify(const Notification& notification);

}  // namespace tmf
