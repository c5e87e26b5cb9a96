#pragma once
// A lock that can be waited for with a time-out, made of a plain mutex and a condition variable.
// std::timed_mutex would do, but its timed wait goes through pthread_mutex_clocklock, which the
// thread sanitizer of our compiler does not see; this one it checks like any other lock.
// Usable with std::unique_lock and std::condition_variable_any.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tavlo {

class TimedLock {
public:
    void lock() {
        std::unique_lock guard(mutex_);
        free_.wait(guard, [this] { return !held_; });
        held_ = true;
    }
    bool try_lock() {
        std::lock_guard guard(mutex_);
        if (held_) return false;
        held_ = true;
        return true;
    }
    template <typename Rep, typename Period>
    bool try_lock_for(const std::chrono::duration<Rep, Period>& timeout) {
        std::unique_lock guard(mutex_);
        if (!free_.wait_for(guard, timeout, [this] { return !held_; })) return false;
        held_ = true;
        return true;
    }
    void unlock() {
        {
            std::lock_guard guard(mutex_);
            held_ = false;
        }
        free_.notify_one();
    }

private:
    std::mutex mutex_;
    std::condition_variable free_;
    bool held_ = false;
};

} // namespace tavlo
