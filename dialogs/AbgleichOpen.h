#pragma once
// The way into "Server-Abgleich ..." from the main window's popup menu,
// without the protocol's headers.
class QWidget;

namespace tmf::ui {
// Shows the dialog of mainWindow, created the first time.
void OpenAbgleichF(QWidget* mainWindow);
}  // namespace tmf::ui
