#pragma once
// The program's Qt platform: one of each port, handed to the core as a
// Platform. The engine adds its own progress display.
#include "QtClock.h"
#include "QtDesktop.h"
#include "QtDialogs.h"
#include "QtProcesses.h"
#include "QtShell.h"
#include "QtSound.h"
#include "XdgAutostart.h"

class QApplication;

namespace tmf::qt {

class QtPlatform {
public:
    // Every member but progress.
    Platform platform();

    QtDialogs& dialogs() { return dialogs_; }
    QtClock& clock() { return clock_; }
    QtSound& sound() { return sound_; }
    QtShell& shell() { return shell_; }
    QtProcesses& processes() { return processes_; }
    XdgAutostart& autostart() { return autostart_; }
    QtDesktop& desktop() { return desktop_; }

private:
    QtDialogs dialogs_;
    QtClock clock_;
    QtSound sound_;
    QtShell shell_;
    QtProcesses processes_;
    XdgAutostart autostart_;
    QtDesktop desktop_;
};

// Qt's German texts for its standard dialogs, German dates in its widgets,
// and the small sans-serif face the windows were laid out with. Returns
// false when the German translation could not be loaded; the program runs
// on, with our own German button texts.
bool SetupGermanUi(QApplication& app);

}  // namespace tmf::qt
