#pragma once
#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

#include "Ports.h"

namespace tmf::qt {

class QtDesktop : public Desktop {
public:
    void ProcessPendingMessages() override;
    // The primary screen; 1024 × 768 when there is none.
    ScreenSize Screen() override;
    // The object name of the modal dialog on top, else of the active window.
    std::string ActiveWindowName() override;
    void SetMainWindowEnabled(bool enabled) override;

    // The window that SetMainWindowEnabled acts on; it may go away before us.
    void setMainWindow(QWidget* window) { mainWindow_ = window; }

    static constexpr qint64 kPassIntervalNs = 4'000'000;

private:
    QPointer<QWidget> mainWindow_;
    QElapsedTimer lastPass_;
};

}  // namespace tmf::qt
