#include "QtDesktop.h"

#include <QApplication>
#include <QScreen>

namespace tmf::qt {

void QtDesktop::ProcessPendingMessages() {
    QCoreApplication::processEvents();
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
