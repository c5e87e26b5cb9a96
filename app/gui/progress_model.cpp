#include "app/gui/progress_model.h"

#include <algorithm>

namespace tavlo::gui {

void ProgressModel::step(const std::string& text) {
    std::lock_guard lock(mutex_);
    lines_.push_back(text);
    percent_ = 0;
    ++revision_;
}

void ProgressModel::setPercent(int percent) {
    std::lock_guard lock(mutex_);
    percent = std::clamp(percent, 0, 100);
    if (percent == percent_) return;
    percent_ = percent;
    ++revision_;
}

ProgressModel::View ProgressModel::view() const {
    std::lock_guard lock(mutex_);
    return View{title_, lines_, percent_, revision_};
}

} // namespace tavlo::gui
