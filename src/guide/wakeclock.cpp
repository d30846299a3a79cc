#include "guide/wakeclock.h"

#include <algorithm>

namespace ingranix::guide {

TimerClock::TimerClock(QObject *parent) : WakeClock(parent) {
    elapsed_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &WakeClock::alarm);
}

void TimerClock::wakeAt(std::optional<qint64> at) {
    if (!at) {
        timer_.stop();
        return;
    }
    // A minute at most: a longer wait is simply set again when it ends.
    timer_.start(int(std::clamp<qint64>(*at - now(), 1, 60000)));
}

} // namespace ingranix::guide
