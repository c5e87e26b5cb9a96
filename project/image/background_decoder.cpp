#include "project/image/background_decoder.h"

#include <algorithm>

namespace tavlo::project {

namespace {
constexpr std::size_t kOldestLooked = 5;
} // namespace

BackgroundDecoder::BackgroundDecoder(PrefetchSource& source, std::size_t budgetPixels)
    : source_(source), budget_(budgetPixels) {}

BackgroundDecoder::~BackgroundDecoder() {
    stop();
}

void BackgroundDecoder::start() {
    std::lock_guard lock(mutex_);
    if (running_) return;
    stop_ = false;
    running_ = true;
    thread_ = std::thread([this] { run(); });
}

void BackgroundDecoder::stop() {
    {
        std::lock_guard lock(mutex_);
        if (!running_) return;
        stop_ = true;
    }
    event_.notify_all();
    thread_.join();
    std::lock_guard lock(mutex_);
    running_ = false;
    paused_ = false;
    doneEvent_.notify_all();
}

void BackgroundDecoder::setWanted(int frame, int stepsBack) {
    {
        std::lock_guard lock(mutex_);
        wanted_ = frame;
        stepsBack_ = std::max(stepsBack, 0);
        stopWalk_ = false;
        wake_ = true;
    }
    event_.notify_all();
}

void BackgroundDecoder::stopWalk() {
    std::lock_guard lock(mutex_);
    stopWalk_ = true;
}

void BackgroundDecoder::pause() {
    std::unique_lock lock(mutex_);
    pause_ = true;
    wake_ = true;
    event_.notify_all();
    doneEvent_.wait(lock, [this] { return paused_ || !running_; });
}

void BackgroundDecoder::resume() {
    {
        std::lock_guard lock(mutex_);
        pause_ = false;
        wake_ = true;
    }
    event_.notify_all();
}

bool BackgroundDecoder::paused() const {
    std::lock_guard lock(mutex_);
    return paused_;
}

bool BackgroundDecoder::waitDecoded(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    const std::uint64_t seen = decodedCount_;
    return doneEvent_.wait_for(lock, timeout, [&] { return decodedCount_ != seen; });
}

std::size_t BackgroundDecoder::cachedPixels() const {
    std::lock_guard lock(mutex_);
    return total_;
}

void BackgroundDecoder::forget(int frame) {
    std::lock_guard lock(mutex_);
    failed_.erase(frame);
    for (auto it = order_.begin(); it != order_.end(); ++it)
        if (it->frame == frame) {
            total_ -= it->size;
            order_.erase(it);
            return;
        }
}

void BackgroundDecoder::clear() {
    std::lock_guard lock(mutex_);
    order_.clear();
    failed_.clear();
    total_ = 0;
}

int BackgroundDecoder::nextToDecode(std::unique_lock<std::mutex>& lock) {
    // The source is asked without our lock: its frame caches have locks of their own.
    const int wanted = wanted_;
    const std::unordered_set<int> failed = failed_;
    lock.unlock();
    const int count = source_.frameCount();
    auto wantedNow = [&](int f) {
        return f >= 0 && f < count && !failed.count(f) && source_.located(f) && !source_.decoded(f);
    };
    int found = -1;
    if (wantedNow(wanted)) found = wanted;
    lock.lock();
    // The stepsBack frames before the wanted one, nearest first, then forwards to the end.
    for (int f = wanted - 1; found < 0 && f >= 0 && f >= wanted - stepsBack_; --f) {
        if (stop_ || pause_ || stopWalk_ || wanted_ != wanted) return -1;
        lock.unlock();
        const bool take = wantedNow(f);
        lock.lock();
        if (take) found = f;
    }
    for (int f = wanted + 1; found < 0 && f < count; ++f) {
        if (stop_ || pause_ || stopWalk_ || wanted_ != wanted) return -1;
        lock.unlock();
        const bool take = wantedNow(f);
        lock.lock();
        if (take) found = f;
    }
    return found;
}

bool BackgroundDecoder::makeRoom(int frame, std::unique_lock<std::mutex>& lock) {
    if (total_ <= budget_) return true;
    // When the frame being shown is among the oldest few, everything newer is needed more than
    // what we would decode: stop prefetching instead of evicting it.
    std::size_t looked = 0;
    for (std::size_t i = 0; i < order_.size() && i < kOldestLooked && looked <= budget_ / 8; ++i) {
        if (order_[i].frame == wanted_) return false;
        looked += order_[i].size;
    }
    while (total_ > budget_ && !order_.empty()) {
        auto victim = std::find_if(order_.begin(), order_.end(),
                                   [&](const Entry& e) { return e.frame != frame && e.frame != wanted_; });
        if (victim == order_.end()) break;
        const int f = victim->frame;
        total_ -= victim->size;
        order_.erase(victim);
        lock.unlock();
        source_.evict(f);
        lock.lock();
    }
    return true;
}

void BackgroundDecoder::run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        if (pause_) {
            paused_ = true;
            doneEvent_.notify_all();
            event_.wait(lock, [this] { return !pause_ || stop_; });
            paused_ = false;
            continue;
        }
        const int frame = nextToDecode(lock);
        if (frame >= 0 && !stop_ && !pause_ && makeRoom(frame, lock)) {
            lock.unlock();
            const std::size_t size = source_.decode(frame);
            lock.lock();
            if (size > 0) {
                order_.push_back({frame, size});
                total_ += size;
            } else {
                failed_.insert(frame);
            }
            ++decodedCount_;
            doneEvent_.notify_all();
            continue;
        }
        if (stop_ || pause_) continue;
        event_.wait(lock, [this] { return wake_ || stop_; });
        wake_ = false;
    }
}

} // namespace tavlo::project
