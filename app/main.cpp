// Termifolio98: reads the command line, sets the title, installs the
// platform, makes sure it is the only copy on its data folder, creates the
// windows (the splash's creation runs the whole start-up), then runs the
// event loop.
#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "CommandLine.h"
#include "DesktopNotifications.h"
#include "Funky.h"
#include "IdleExit.h"
#include "Logo.h"
#include "Ports.h"
#include "Program.h"
#include "ProgramFolders.h"
#include "Progress.h"
#include "QtPlatform.h"
#include "SingleInstance.h"
#include "State.h"

namespace {

// Qt ends the process with abort() when it reaches no display (a lost X
// connection, no DISPLAY at all): a core dump for what is no fault of the
// program. While the application is made, its fatal message ends the
// program with the reason and an exit status instead.
void EndWithoutDisplay(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    if (type != QtFatalMsg) return;
    std::fputs("Termifolio98: Ohne erreichbare Anzeige lassen sich keine Fenster öffnen; das Programm endet.\n", stderr);
    std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    const tmf::app::CommandLine command = tmf::app::ParseCommandLine(argc, argv);
    if (command.action != tmf::app::CommandLine::Action::Run) {
        std::fputs(command.output.c_str(), command.exitCode == 0 ? stdout : stderr);
        return command.exitCode;
    }

    const QtMessageHandler qtMessages = qInstallMessageHandler(EndWithoutDisplay);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtMessages);
    QApplication::setApplicationName("Termifolio98");
    // Lets the desktop match the windows to the menu entry and its icon.
    QGuiApplication::setDesktopFileName("termifolio98");
    QApplication::setWindowIcon(tmf::logo::WindowIcon());
    tmf::qt::SetupGermanUi(app);

    tmf::qt::QtPlatform platform;
    tmf::InstallPlatform(platform.platform());
    tmf::InstallEngineProgress();
    // Before anything in the data folder is read or written.
    tmf::SetupFolders();
    if (!tmf::DataFolderReady()) return 1;
    tmf::app::SingleInstance single(QString::fromStdString(tmf::DataDir));
    switch (single.Acquire(tmf::kDataLockWaitMs)) {
        case tmf::app::SingleInstance::Result::HeldByOther:
            // An unattended start (the login's background check) must not
            // pull the running copy to the front.
            if (!tmf::app::BackgroundModeSet(QString::fromStdString(tmf::DataDir))) single.WakeRunningCopy();
            return 0;
        case tmf::app::SingleInstance::Result::HeldWithoutAnswer:
            tmf::ShowMessage("Die Daten in " + tmf::DataDir + " werden gerade von " +
                                 single.HolderText().toStdString() +
                                 " bearbeitet.\r\nTermifolio98 wird beendet; versuchen Sie es gleich noch einmal.",
                             tmf::MessageKind::Error);
            return 1;
        case tmf::app::SingleInstance::Result::Acquired:
        case tmf::app::SingleInstance::Result::NoLock: break;
    }

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

    std::unique_ptr<tmf::app::IdleExit> idleExit;
    Program program;
    QObject::connect(&single, &tmf::app::SingleInstance::WakeRequested,
                     [&mainWindow] { tmf::app::RaiseProgramWindow(mainWindow); });
    if (!program.Create([&](QWidget* main) {
            platform.desktop().setMainWindow(main);
            mainWindow = main;
            idleExit = std::make_unique<tmf::app::IdleExit>(main);
        }))
        return 0;
    TGebF::mainLoopRunning = true;
    idleExit->Arm();
    return app.exec();
}
