#pragma once
// The state of one long operation, written by the worker and read by the window that shows it.
// Qt lets widgets live on the main thread only, so the two meet here, under a lock.
#include "core/ui_prompts.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace tavlo::gui {

class ProgressModel : public Progress {
public:
    explicit ProgressModel(std::string title) : title_(std::move(title)) {}
    void step(const std::string& text) override;
    void setPercent(int percent) override;
    bool cancelled() const override { return cancelled_.load(); }

    void cancel() { cancelled_ = true; }
    void finish() { finished_ = true; }
    bool finished() const { return finished_.load(); }

    struct View {
        std::string title;
        std::vector<std::string> lines;
        int percent = 0;
        unsigned revision = 0;
    };
    View view() const;

private:
    mutable std::mutex mutex_;
    std::string title_;
    std::vector<std::string> lines_;
    int percent_ = 0;
    unsigned revision_ = 0;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};
};

} // namespace tavlo::gui
