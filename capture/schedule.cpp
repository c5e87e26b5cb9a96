#include "capture/schedule.h"

#include <algorithm>

namespace tavlo::capture {

int clampRate(int fps) {
    return std::clamp(fps, kMinRate, kMaxRate);
}

TimerSchedule timerSchedule(int captureRate) {
    TimerSchedule s{1000 / clampRate(captureRate), 1};
    while (s.periodMs >= 60) {
        s.periodMs /= 2;
        ++s.divider;
    }
    return s;
}

int Throttle::update(std::int64_t pending) {
    if (limit_ <= 0) return delay_;
    if (pending < limit_) {
        delay_ = std::max(0, delay_ - std::max(delay_ / 20, 1));
    } else if (pending >= lastPending_) {
        // Bounded so that a runaway queue slows the ticks without stopping them for good.
        delay_ = static_cast<int>(std::min<std::int64_t>(delay_ + pending / limit_, 10000));
    }
    lastPending_ = pending;
    return delay_;
}

} // namespace tavlo::capture
