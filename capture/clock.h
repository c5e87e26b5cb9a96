#pragma once
// The recording clock in milliseconds; paused time is taken out by the recording control.
#include <chrono>
#include <cstdint>

namespace tavlo::capture {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowMs() = 0;
};

class SteadyClock : public Clock {
public:
    std::int64_t nowMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};

} // namespace tavlo::capture
