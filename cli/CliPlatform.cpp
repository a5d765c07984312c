#include "CliPlatform.h"

#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <thread>

#include "FileIo.h"
#include "ProgramFolders.h"
#include "TerminalText.h"

namespace tmf::cli {

using namespace std::chrono;

void TerminalPlatform::install() {
    Platform p;
    p.dialogs = this;
    p.clock = this;
    p.sound = this;
    p.shell = this;
    p.processes = this;
    p.autostart = this;
    p.desktop = this;
    p.progress = nullptr;  // a terminal run shows no progress
    InstallPlatform(p);
}

namespace {

thread_local std::string tFile;
thread_local std::vector<std::string>* tHeld = nullptr;

}  // namespace

void TerminalPlatform::setFile(std::string path) { tFile = std::move(path); }

void HoldMessages(std::vector<std::string>* into) { tHeld = into; }

void WriteMessages(const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    std::fflush(stdout);
    for (const std::string& line : lines) std::fputs(line.c_str(), stderr);
}

void TerminalPlatform::ShowMessage(const std::string& text, MessageKind) {
    // The core's messages are written for message boxes, with CR LF between
    // lines; the names in them are made visible.
    std::string line;
    if (!tFile.empty() && text.find(tFile) == std::string::npos) line = Visible(tFile) + ": ";
    line += TerminalLines(text, tFile) + '\n';
    if (tHeld) {
        tHeld->push_back(std::move(line));
        return;
    }
    WriteMessages({line});
}

Answer TerminalPlatform::Ask(const std::string& text, MessageKind kind, Buttons) {
    ShowMessage(text, kind);
    return Answer::No;
}

sys_days TerminalPlatform::Today() {
    if (today_) return *today_;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return sys_days{year{local.tm_year + 1900} / month{static_cast<unsigned>(local.tm_mon + 1)} /
                    day{static_cast<unsigned>(local.tm_mday)}};
}

TimeOfDay TerminalPlatform::Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_hour, local.tm_min, local.tm_sec};
}

std::uint64_t TerminalPlatform::TickMs() {
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TerminalPlatform::SleepMs(int ms) { std::this_thread::sleep_for(milliseconds(ms)); }

std::string TerminalPlatform::ProgramDir() { return ExtractFileDir(RunningProgramFile()); }

std::string RunningProgramFile() {
    char buffer[4096];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    return std::string(buffer, static_cast<std::size_t>(n));
}

std::string FindDataFolder() { return LocateProgramFolders(RunningProgramFile()).data; }

}  // namespace tmf::cli
