#pragma once
#include <QElapsedTimer>

#include "Ports.h"

namespace tmf::qt {

class QtClock : public Clock {
public:
    QtClock();
    std::chrono::sys_days Today() override;
    TimeOfDay Now() override;
    // Milliseconds since this clock was made; only differences count.
    std::uint64_t TickMs() override;
    void SleepMs(int ms) override;

private:
    QElapsedTimer ticks_;
};

}  // namespace tmf::qt
