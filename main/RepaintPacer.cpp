#include "RepaintPacer.h"

#include <QWidget>

RepaintPacer::RepaintPacer(QWidget* widget, int frameMs) : QObject(widget), widget_(widget), frameMs_(frameMs) {
    resume_.setSingleShot(true);
    connect(&resume_, &QTimer::timeout, this, &RepaintPacer::Resume);
}

void RepaintPacer::Change(const std::function<void()>& change) {
    if (!widget_ || resume_.isActive()) {
        change();  // painting is held back until the frame ends
        return;
    }
    const qint64 since = lastShown_.isValid() ? lastShown_.elapsed() : frameMs_;
    if (since >= frameMs_) {
        change();
        lastShown_.start();
        return;
    }
    widget_->setUpdatesEnabled(false);
    change();
    resume_.start(static_cast<int>(frameMs_ - since));
}

void RepaintPacer::Flush() {
    if (!resume_.isActive()) return;
    resume_.stop();
    Resume();
}

void RepaintPacer::Resume() {
    if (!widget_) return;
    widget_->setUpdatesEnabled(true);  // repaints with the latest content
    lastShown_.start();
}
