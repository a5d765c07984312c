#include "QtClock.h"

#include <QDate>
#include <QThread>
#include <QTime>

namespace tmf::qt {

QtClock::QtClock() {
    ticks_.start();
}

std::chrono::sys_days QtClock::Today() {
    const QDate d = QDate::currentDate();
    return std::chrono::sys_days{std::chrono::year{d.year()} /
                                 std::chrono::month{static_cast<unsigned>(d.month())} /
                                 std::chrono::day{static_cast<unsigned>(d.day())}};
}

TimeOfDay QtClock::Now() {
    const QTime t = QTime::currentTime();
    return {t.hour(), t.minute(), t.second()};
}

std::uint64_t QtClock::TickMs() {
    return static_cast<std::uint64_t>(ticks_.elapsed());
}

void QtClock::SleepMs(int ms) {
    if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
}

}  // namespace tmf::qt
