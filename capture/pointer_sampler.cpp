#include "capture/pointer_sampler.h"

#include <chrono>
#include <cmath>

namespace tavlo::capture {

namespace {
constexpr auto kLockTimeout = std::chrono::milliseconds(10000);
constexpr std::size_t kPauseAt = kMaxPointerSamples - 1;
} // namespace

PointerSampler::PointerSampler(platform::PointerSource& pointer, platform::InputEvents* input, Clock& clock,
                               int pointerRate, bool continuousRecording)
    : pointer_(pointer), input_(input), clock_(clock), continuous_(continuousRecording) {
    rate_ = pointerRate < 1 ? 1 : pointerRate > 1000 ? 1000 : pointerRate;
    interval_ = 1000 / rate_;
    buffer_.reserve(kMaxPointerSamples);
}

PointerSampler::~PointerSampler() {
    stopThread();
}

void PointerSampler::addSample(PointerSample s) {
    if (buffer_.size() < kMaxPointerSamples) buffer_.push_back(s);
}

void PointerSampler::sampleOnce() {
    std::unique_lock lock(mutex_, std::defer_lock);
    if (!lock.try_lock_for(kLockTimeout)) return; // never touch the buffer without the lock
    if (buffer_.size() >= kPauseAt) return;       // the tick is behind: wait for it to empty the buffer

    platform::PointerState st;
    const bool ok = pointer_.read(st);
    if (input_) {
        if (input_->takeClickUp()) pendingUp_ = true;
        if (input_->takeClickDown()) pendingDown_ = true;
    }
    ++count_;
    // Now and then a sample is taken although nothing changed, so that a still pointer is still
    // on record (often in continuous recording, whose segments must each show it).
    const bool forced = continuous_ ? count_ % 4 == 0 : count_ % (static_cast<long long>(rate_) * 60) == 0;
    if (!ok || paused_) {
        lastTime_ = -1;
        pendingDown_ = pendingUp_ = false;
        return;
    }
    const std::int64_t t = clock_.nowMs();
    if (lastTime_ >= 0 && t - lastTime_ > kForgetGapMs) lastTime_ = -1;

    const bool changed = !haveLast_ || st.x != lastX_ || st.y != lastY_ || st.handle != lastHandle_;
    if (changed || pendingDown_ || pendingUp_ || forced) {
        if (lastTime_ >= 0 && haveLast_) {
            const std::int64_t n = (t - lastTime_) / interval_;
            for (std::int64_t i = 1; i < n && buffer_.size() < kMaxPointerSamples; ++i) {
                PointerSample s;
                s.time = lastTime_ + i * interval_;
                s.x = lastX_ + static_cast<int>((st.x - lastX_) * i / n);
                s.y = lastY_ + static_cast<int>((st.y - lastY_) * i / n);
                s.handle = st.handle;
                s.hidden = st.hidden;
                addSample(s);
            }
        }
        PointerSample s{t, st.x, st.y, st.handle, st.hidden, false, false};
        if (pendingDown_) {
            s.down = true;
            pendingDown_ = false;
        } else if (pendingUp_) {
            s.up = true;
            pendingUp_ = false;
        }
        addSample(s);
        // A press and release within one interval: the release gets a sample of its own.
        if (s.down && pendingUp_) {
            s.down = false;
            s.up = true;
            pendingUp_ = false;
            addSample(s);
        }
        lastX_ = st.x;
        lastY_ = st.y;
        lastHandle_ = st.handle;
        haveLast_ = true;
    }
    lastTime_ = t;
}

bool PointerSampler::startThread() {
    if (thread_.joinable()) return true;
    stop_ = false;
    try {
        thread_ = std::thread([this] {
            while (!stop_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(interval_));
                if (stop_) break;
                sampleOnce();
            }
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void PointerSampler::stopThread() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

bool PointerSampler::take(std::vector<PointerSample>& out) {
    std::unique_lock lock(mutex_, std::defer_lock);
    if (!lock.try_lock_for(kLockTimeout)) return false;
    out.swap(buffer_);
    buffer_.clear();
    buffer_.reserve(kMaxPointerSamples);
    return true;
}

void PointerSampler::shift(int dx, int dy) {
    std::unique_lock lock(mutex_, std::defer_lock);
    if (!lock.try_lock_for(kLockTimeout)) return;
    for (PointerSample& s : buffer_) {
        s.x -= dx;
        s.y -= dy;
    }
}

void smoothSamples(std::vector<PointerSample>& samples) {
    const std::size_t n = samples.size();
    if (n <= 2) return;
    std::vector<double> cumulative(n, 0.0);
    for (std::size_t i = 1; i < n; ++i)
        cumulative[i] = cumulative[i - 1] + std::hypot(double(samples[i].x - samples[i - 1].x),
                                                       double(samples[i].y - samples[i - 1].y));
    const double total = cumulative[n - 1];
    if (total <= 0) return;
    const double step = total / double(n - 1);
    std::vector<std::pair<int, int>> placed(n);
    std::size_t seg = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const double at = step * double(k);
        while (seg + 2 < n && cumulative[seg + 1] < at) ++seg;
        const double len = cumulative[seg + 1] - cumulative[seg];
        const double f = len > 0 ? (at - cumulative[seg]) / len : 0.0;
        placed[k] = {
            static_cast<int>(std::lround(samples[seg].x + f * (samples[seg + 1].x - samples[seg].x))),
            static_cast<int>(std::lround(samples[seg].y + f * (samples[seg + 1].y - samples[seg].y)))};
    }
    for (std::size_t k = 0; k < n; ++k) {
        samples[k].x = placed[k].first;
        samples[k].y = placed[k].second;
    }
}

} // namespace tavlo::capture
