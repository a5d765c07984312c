#include "QtDesktop.h"

#include <QApplication>
#include <QScreen>

namespace tmf::qt {

void QtDesktop::ProcessPendingMessages() {
    // Long operations let the messages through every few rows, thousands of
    // times a second; a pass every few milliseconds serves the user's input
    // and paints just as well, and the passes in between would cost more
    // than the rows.
    if (lastPass_.isValid() && lastPass_.nsecsElapsed() < kPassIntervalNs) return;
    QCoreApplication::processEvents();
    lastPass_.start();
}

ScreenSize QtDesktop::Screen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {};
    const QSize size = screen->size();
    return {size.width(), size.height()};
}

std::string QtDesktop::ActiveWindowName() {
    QWidget* window = QApplication::activeModalWidget();
    if (!window) window = QApplication::activeWindow();
    return window ? window->objectName().toStdString() : std::string();
}

void QtDesktop::SetMainWindowEnabled(bool enabled) {
    if (mainWindow_) mainWindow_->setEnabled(enabled);
}

}  // namespace tmf::qt
