#pragma once
// One step line of the run's progress window: percentages are passed on at most every 500 ms, the
// cancel flag is read every time it is asked for.
#include "core/ui_prompts.h"

#include <chrono>
#include <string>

namespace tavlo::swf {

class ProgressLine {
public:
    ProgressLine(Progress* progress, const std::string& caption) : progress_(progress) {
        if (progress_) progress_->step(caption);
    }
    void set(long long done, long long total) {
        if (!progress_) return;
        auto now = std::chrono::steady_clock::now();
        if (!first_ && now - last_ < std::chrono::milliseconds(500)) return;
        first_ = false;
        last_ = now;
        progress_->setPercent(total > 0 ? int(done * 100 / total) : 100);
    }
    bool cancelled() const { return progress_ && progress_->cancelled(); }

private:
    Progress* progress_;
    std::chrono::steady_clock::time_point last_{};
    bool first_ = true;
};

} // namespace tavlo::swf
