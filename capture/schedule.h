#pragma once
// When the capture timer ticks and how hard it backs off when the writer falls behind.
#include <cstdint>

namespace tavlo::capture {

inline constexpr int kMinRate = 1;
inline constexpr int kMaxRate = 1000;

// A rate from the options, kept where it can be divided by.
int clampRate(int framesPerSecond);

struct TimerSchedule {
    int periodMs; // between ticks; every tick samples the pointer
    int divider;  // the screen is grabbed on every divider-th tick
};

// period = 1000 / rate, halved (and the divider raised) while it is 60 ms or more.
TimerSchedule timerSchedule(int captureRate);

// The delay added to each tick while the writer has more than W × H × 30 bytes to write.
class Throttle {
public:
    explicit Throttle(std::int64_t frameWidth, std::int64_t frameHeight)
        : limit_(frameWidth * frameHeight * 30) {}
    // Takes this tick's pending-bytes value and returns the delay in ms.
    int update(std::int64_t pendingBytes);
    int delay() const { return delay_; }

private:
    std::int64_t limit_;
    std::int64_t lastPending_ = 0;
    int delay_ = 0;
};

} // namespace tavlo::capture
