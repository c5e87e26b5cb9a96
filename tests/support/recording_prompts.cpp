#include "tests/support/recording_prompts.h"

namespace tavlo::test {

class RecordingProgress : public Progress {
public:
    explicit RecordingProgress(RecordingPrompts& owner) : owner_(owner) {}
    void step(const std::string& text) override { owner_.record({ShownText::ProgressStep, text, ""}); }
    void setPercent(int) override {
        std::lock_guard lock(owner_.mutex_);
        ++owner_.updates_;
    }
    bool cancelled() const override {
        std::lock_guard lock(owner_.mutex_);
        return owner_.cancelAfterUpdates >= 0 && owner_.updates_ >= owner_.cancelAfterUpdates;
    }

private:
    RecordingPrompts& owner_;
};

void RecordingPrompts::record(ShownText t) {
    std::lock_guard lock(mutex_);
    shown_.push_back(std::move(t));
}

void RecordingPrompts::message(const std::string& text, const std::string& title, Icon) {
    record({ShownText::Message, text, title});
}

Answer RecordingPrompts::question(const std::string& text, const std::string& title, Buttons, Icon,
                                  Answer fallback) {
    record({ShownText::Question, text, title});
    std::lock_guard lock(mutex_);
    if (answers.empty()) return fallback;
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::unique_ptr<Progress> RecordingPrompts::progress(const std::string& title) {
    record({ShownText::ProgressTitle, title, title});
    return std::make_unique<RecordingProgress>(*this);
}

std::optional<std::string> RecordingPrompts::chooseFile(const tavlo::FileChoice& choice) {
    record({ShownText::FileChoice, choice.title, choice.title});
    std::lock_guard lock(mutex_);
    if (files.empty()) return std::nullopt;
    std::string f = files.front();
    files.pop_front();
    return f;
}

std::vector<ShownText> RecordingPrompts::shown() const {
    std::lock_guard lock(mutex_);
    return shown_;
}

std::vector<std::string> RecordingPrompts::messages() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& s : shown_)
        if (s.kind == ShownText::Message) out.push_back(s.text);
    return out;
}

int RecordingPrompts::percentUpdates() const {
    std::lock_guard lock(mutex_);
    return updates_;
}

} // namespace tavlo::test
