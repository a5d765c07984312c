#include "IdleExit.h"

#include <QAbstractEventDispatcher>
#include <QEvent>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace tmf::app {

IdleExit::IdleExit(QWidget* mainWindow) {
    if (!mainWindow || !qEnvironmentVariableIsSet("TMF_EXIT_WHEN_IDLE")) return;
    window_ = mainWindow;
    window_->installEventFilter(this);
}

void IdleExit::Arm() {
    if (!window_) return;
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &IdleExit::LoopIdle);
}

bool IdleExit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Paint) painted_ = true;
    return false;
}

void IdleExit::LoopIdle() {
    if (!painted_ || !window_->isVisible()) return;
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace tmf::app
