#pragma once
// What the engine writes to and asks of the windows. The windows implement
// these; the engine tests use recording fakes. Keeping the windows behind
// interfaces lets the start-up and the check run be tested without widgets.
#include <string>

namespace tmf {

struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The main window TGebF as the engine sees it.
class MainView {
public:
    virtual ~MainView() = default;
    virtual void GridChanged() = 0;  // SG shows MainGrid anew
    virtual void SetStatusPanel(int panel, const std::string& text) = 0;
    virtual void SetProgressText(const std::string& text) = 0;
    virtual void SetProgressValue(int percent) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual WindowRect Geometry() = 0;
    virtual void MoveTo(int left, int top) = 0;
    // Fills ComboBox1 and ComboBox2 and selects the given items.
    virtual void FillChoiceLists(int outputChoice, int sortChoice) = 0;
    // The item chosen in the sort list ComboBox2 (re-applied after loads).
    virtual int SortChoiceIndex() = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void ShowWindow() = 0;
    virtual void HideInternalGroup() = 0;
    // Runs the exit procedure (EndeClick); false when the user cancelled.
    virtual bool EndProgram() = 0;
    // Ends the program: closes every window and leaves the event loop.
    virtual void QuitProgram() = 0;
};

// The splash window TStartF.
class SplashView {
public:
    virtual ~SplashView() = default;
    virtual void SetFileCaption(const std::string& text) = 0;  // Panel1
    virtual void SetProgressText(const std::string& text) = 0;
    virtual void SetProgressValue(int percent) = 0;
    // Shows the splash modally; the start-up decision runs while it is shown.
    virtual void ShowModal() = 0;
};

// The check results dialog TPrufungF, shown modally once per file.
class ResultsView {
public:
    virtual ~ResultsView() = default;
    virtual void ShowModal() = 0;
};

struct Views {
    MainView* main = nullptr;
    SplashView* splash = nullptr;
    ResultsView* results = nullptr;
};

Views& TheViews();
void InstallViews(const Views& views);

}  // namespace tmf
