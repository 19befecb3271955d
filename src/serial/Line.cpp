#include "serial/Line.h"

#include <algorithm>

namespace yb {

SteadyLineClock::SteadyLineClock() {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (onWake) onWake();
    });
}

void SteadyLineClock::wakeAt(TimePoint when) {
    // Characters of one answer arrive one by one, each asking for the same instant again: the
    // timer is only set again when the instant changes.
    if (timer_.isActive() && when == timerUntil_) return;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - now());
    timer_.start(std::max(left, std::chrono::milliseconds(0)));
    timerUntil_ = when;
}

}  // namespace yb
