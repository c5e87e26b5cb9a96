#pragma once
// The pointer thread: samples position, shape and clicks at the pointer rate into a small buffer
// that each capture tick empties. Gaps are filled by samples on the straight line between the
// positions, so that the pointer moves smoothly in the movie.
#include "capture/clock.h"
#include "core/timed_lock.h"
#include "platform/input_events.h"
#include "platform/pointer_source.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace tavlo::capture {

struct PointerSample {
    std::int64_t time = 0; // recording clock, ms
    int x = 0, y = 0;      // screen
    std::uint32_t handle = 0;
    bool hidden = false;
    bool down = false; // a button went down
    bool up = false;   // a button went up
    bool operator==(const PointerSample&) const = default;
};

inline constexpr std::size_t kMaxPointerSamples = 96;
inline constexpr std::int64_t kForgetGapMs = 500;

class PointerSampler {
public:
    // `input` may be null (no click marks). The rate is clamped to 1..1000.
    PointerSampler(platform::PointerSource& pointer, platform::InputEvents* input, Clock& clock,
                   int pointerRate, bool continuousRecording);
    ~PointerSampler();

    // One sampling step (everything but the sleep). The thread calls it; without a thread the
    // capture tick does.
    void sampleOnce();
    bool startThread();
    void stopThread();

    // Paused or restarting: samples are not taken and the gap is forgotten.
    void setPaused(bool paused) { paused_ = paused; }
    // Takes the buffered samples, emptying the buffer. False when the lock could not be had.
    bool take(std::vector<PointerSample>& out);
    // Pan mode: the area moved by (dx, dy); samples keep their place relative to it.
    void shift(int dx, int dy);

    int intervalMs() const { return interval_; }

private:
    void addSample(PointerSample s);

    platform::PointerSource& pointer_;
    platform::InputEvents* input_;
    Clock& clock_;
    int interval_;
    int rate_;
    bool continuous_;

    TimedLock mutex_; // a lock time-out never proceeds without the lock
    std::vector<PointerSample> buffer_;
    std::int64_t lastTime_ = -1;
    int lastX_ = 0, lastY_ = 0;
    std::uint32_t lastHandle_ = 0;
    bool haveLast_ = false;
    bool pendingDown_ = false, pendingUp_ = false;
    long long count_ = 0;

    std::atomic<bool> paused_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Moves the positions of three or more samples to even spacing along their path; times stay.
void smoothSamples(std::vector<PointerSample>& samples);

} // namespace tavlo::capture
