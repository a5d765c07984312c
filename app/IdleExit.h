#pragma once
// For timing a start from outside: with TMF_EXIT_WHEN_IDLE set, the process
// ends (status 0, nothing saved, nothing asked) the first time its main
// event loop has nothing left to do after the main window has been painted.
// A start leaves nothing unsaved behind: the file was stamped and Modified
// cleared before the window came up.
#include <QObject>

class QWidget;

namespace tmf::app {

class IdleExit : public QObject {
    Q_OBJECT
public:
    // Watches the window's painting when the variable is set; does nothing
    // otherwise.
    explicit IdleExit(QWidget* mainWindow);
    // Called right before the main event loop runs.
    void Arm();

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoopIdle();
    QWidget* window_ = nullptr;
    bool painted_ = false;
};

}  // namespace tmf::app
