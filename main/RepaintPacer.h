#pragma once
// A control that a long operation changes many times a second (the entry
// counter of a fill of 32,000 rows changes 3,200 times) paints at most once a
// frame: its content is always the latest, only the painting waits. Painting
// every change costs more than the operation itself, and nobody reads a
// counter that changes faster than the screen can show it.
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QWidget;

class RepaintPacer : public QObject {
    Q_OBJECT
public:
    explicit RepaintPacer(QWidget* widget, int frameMs = 40);

    // Carries out a change of the control's content; it shows at once when
    // the control has not painted within the frame, else when the frame ends.
    void Change(const std::function<void()>& change);
    // Shows the latest content now: the operation has ended.
    void Flush();

    bool Waiting() const { return resume_.isActive(); }

private:
    void Resume();
    QPointer<QWidget> widget_;
    int frameMs_;
    QElapsedTimer lastShown_;
    QTimer resume_;
};
