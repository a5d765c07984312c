// Termifolio98: sets the title, installs the platform, creates the windows
// (the splash's creation runs the whole start-up), then runs the event loop.
#include <QApplication>
#include <QPointer>
#include <QWidget>

#include "DesktopNotifications.h"

#include "Ports.h"
#include "Program.h"
#include "Progress.h"
#include "QtPlatform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Termifolio98");
    tmf::qt::SetupGermanUi(app);

    tmf::qt::QtPlatform platform;
    tmf::InstallPlatform(platform.platform());
    tmf::InstallEngineProgress();
    // Installed before the windows: the start-up check already notifies.
    tmf::qt::DesktopNotifications notifications;
    tmf::ThePlatform().notifications = &notifications;
    QPointer<QWidget> mainWindow;
    notifications.setActivate([&mainWindow] {
        if (!mainWindow) return;
        mainWindow->showNormal();
        mainWindow->raise();
        mainWindow->activateWindow();
    });

    Program program;
    if (!program.Create([&](QWidget* main) {
            platform.desktop().setMainWindow(main);
            mainWindow = main;
        }))
        return 0;
    TGebF::mainLoopRunning = true;
    return app.exec();
}
