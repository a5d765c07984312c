// Termifolio98: sets the title, installs the platform, creates the windows
// (the splash's creation runs the whole start-up), then runs the event loop.
#include <QApplication>

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

    Program program;
    if (!program.Create([&](QWidget* main) { platform.desktop().setMainWindow(main); })) return 0;
    TGebF::mainLoopRunning = true;
    return app.exec();
}
