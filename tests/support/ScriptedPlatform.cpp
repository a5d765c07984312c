#include "ScriptedPlatform.h"

#include <gtest/gtest.h>

namespace tmf::test {

using namespace std::chrono;

ScriptedPlatform::ScriptedPlatform() { setToday(2024, 6, 15); }

ScriptedPlatform::~ScriptedPlatform() {
    if (ThePlatform().dialogs == this) InstallPlatform(Platform{});
    EXPECT_TRUE(answers.empty()) << answers.size() << " queued answer(s) were never asked for";
}

void ScriptedPlatform::install() { InstallPlatform(WholePlatform(*this)); }

void ScriptedPlatform::setToday(int y, int m, int d) {
    today = sys_days{year{y} / month{static_cast<unsigned>(m)} / day{static_cast<unsigned>(d)}};
}

void ScriptedPlatform::moveDays(int days) { today += std::chrono::days{days}; }

void ScriptedPlatform::setTime(int hour, int minute, int second) { now = {hour, minute, second}; }

std::vector<std::string> ScriptedPlatform::messageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : messages) texts.push_back(m.text);
    return texts;
}

void ScriptedPlatform::clearRecords() {
    messages.clear();
    questions.clear();
    sounds.clear();
    soundWaited.clear();
    beeps = 0;
    progress.clear();
    opened.clear();
    runs.clear();
    autostartCalls.clear();
    pumps = 0;
    mainWindowEnabled.clear();
    notifications.clear();
    fileRequests.clear();
}

void ScriptedPlatform::ShowMessage(const std::string& text, MessageKind kind) {
    messages.push_back({text, kind});
    if (onMessage) onMessage(text);
}

Answer ScriptedPlatform::Ask(const std::string& text, MessageKind kind, Buttons buttons) {
    messages.push_back({text, kind});
    questions.push_back(text);
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::string ScriptedPlatform::InputBox(const std::string& caption, const std::string& prompt,
                                       const std::string& defaultText) {
    messages.push_back({caption + "|" + prompt + "|" + defaultText, MessageKind::Information});
    if (inputs.empty()) {
        ADD_FAILURE() << "unexpected input box: " << prompt;
        return defaultText;
    }
    std::string s = inputs.front();
    inputs.pop_front();
    return s;
}

std::optional<std::string> ScriptedPlatform::OpenFileName(const FileRequest& request) {
    fileRequests.push_back(request);
    if (files.empty()) {
        ADD_FAILURE() << "unexpected file dialog: " << request.title;
        return std::nullopt;
    }
    auto f = files.front();
    files.pop_front();
    return f;
}

std::optional<std::string> ScriptedPlatform::SaveFileName(const FileRequest& request) {
    return OpenFileName(request);
}

bool ScriptedPlatform::Play(const std::string& path, bool wait) {
    sounds.push_back(path);
    soundWaited.push_back(wait);
    return !soundFails;
}

bool ScriptedPlatform::Open(const std::string& target, const std::string& folder) {
    opened.push_back(folder + "|" + target);
    return !openFails;
}

bool ScriptedPlatform::RunAndWait(const std::string& program, const std::vector<std::string>& arguments,
                                  const std::string& folder) {
    runs.push_back({program, arguments, folder});
    return processStarts;
}

bool ScriptedPlatform::Add(const std::string& programPath, const std::string& itemName) {
    autostartCalls.push_back("add:" + programPath + "|" + itemName);
    return autostartWorks;
}

bool ScriptedPlatform::Remove(const std::string& itemName) {
    autostartCalls.push_back("remove:" + itemName);
    return autostartWorks;
}

}  // namespace tmf::test
