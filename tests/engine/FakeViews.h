#pragma once
// Recording stand-ins for the windows the engine writes to. They keep every
// call in order, so tests can ask what the user would have seen, and the
// results dialog can imitate its "&O K" (the deletion pass).
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "CheckResults.h"
#include "Startup.h"
#include "State.h"
#include "Views.h"

namespace tmf::test {

class FakeMainView : public MainView {
public:
    std::vector<std::pair<int, std::string>> statusPanels;
    std::vector<std::string> progressTexts;
    std::vector<int> progressValues;
    std::vector<std::string> progressLog;  // texts and "=value", interleaved
    int gridChanged = 0;
    std::vector<bool> enabled;
    std::vector<std::pair<int, int>> moves;
    std::vector<std::pair<int, int>> choiceLists;  // (output, sort)
    std::vector<std::string> captions;
    int shown = 0;
    int internalHidden = 0;
    int endProgramCalls = 0;
    bool endProgramResult = true;
    int quitCalls = 0;
    WindowRect geometry{0, 0, 600, 400};

    std::vector<std::string> panel(int index) const {
        std::vector<std::string> texts;
        for (const auto& [p, t] : statusPanels)
            if (p == index) texts.push_back(t);
        return texts;
    }

    void GridChanged() override { ++gridChanged; }
    void SetStatusPanel(int panel, const std::string& text) override {
        statusPanels.emplace_back(panel, text);
    }
    void SetProgressText(const std::string& text) override {
        progressTexts.push_back(text);
        progressLog.push_back(text);
    }
    void SetProgressValue(int percent) override {
        progressValues.push_back(percent);
        progressLog.push_back("=" + std::to_string(percent));
    }
    void SetEnabled(bool e) override { enabled.push_back(e); }
    WindowRect Geometry() override { return geometry; }
    void MoveTo(int left, int top) override {
        moves.emplace_back(left, top);
        geometry.left = left;
        geometry.top = top;
    }
    void FillChoiceLists(int outputChoice, int sortChoice) override {
        choiceLists.emplace_back(outputChoice, sortChoice);
    }
    int SortChoiceIndex() override { return sortChoiceIndex; }
    int sortChoiceIndex = 0;
    void SetCaption(const std::string& caption) override { captions.push_back(caption); }
    void ShowWindow() override { ++shown; }
    void HideInternalGroup() override { ++internalHidden; }
    bool EndProgram() override {
        ++endProgramCalls;
        return endProgramResult;
    }
    void QuitProgram() override { ++quitCalls; }
};

// Shown modally by InitProgram; like the real splash it runs the start-up
// decision when it comes up.
class FakeSplashView : public SplashView {
public:
    std::vector<std::string> fileCaptions;
    std::vector<std::string> progressTexts;
    std::vector<int> progressValues;
    int shown = 0;
    std::vector<bool> decisions;
    std::function<void()> beforeDecision;  // runs while the splash comes up

    void SetFileCaption(const std::string& text) override { fileCaptions.push_back(text); }
    void SetProgressText(const std::string& text) override { progressTexts.push_back(text); }
    void SetProgressValue(int percent) override { progressValues.push_back(percent); }
    void ShowModal() override {
        ++shown;
        if (beforeDecision) beforeDecision();
        decisions.push_back(StartupDecision());
    }
};

// The check results dialog: keeps a copy of the list each time it is shown
// (as the check run handed it over) and, when pressOk is set, sorts and runs
// the deletion pass as its button does.
class FakeResultsView : public ResultsView {
public:
    struct Showing {
        CheckResultsType results;
        int entryCount = 0;
        int modifiedBefore = 0;
    };
    std::vector<Showing> showings;
    bool pressOk = false;
    std::function<void()> whileShown;

    void ShowModal() override {
        showings.push_back({CheckResults, EntryCount, Modified});
        if (whileShown) whileShown();
        if (pressOk) {
            SortCheckResults();
            DeleteFlaggedEntries();
        }
    }
};

}  // namespace tmf::test
