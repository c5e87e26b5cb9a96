#pragma once
// A UiPrompts for tests: records every text shown and answers questions from a script.
#include "core/ui_prompts.h"

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace tavlo::test {

struct ShownText {
    enum Kind { Message, Question, ProgressTitle, ProgressStep, FileChoice } kind;
    std::string text;
    std::string title;
};

class RecordingPrompts : public UiPrompts {
public:
    // Answers given to questions in order; when none is left, the question's fallback is taken.
    std::deque<Answer> answers;
    // Files given to file choices in order; when none is left, the choice is cancelled.
    std::deque<std::string> files;
    // The progress reports cancelled once this many percent updates were made (-1: never).
    int cancelAfterUpdates = -1;

    void message(const std::string& text, const std::string& title, Icon icon) override;
    Answer question(const std::string& text, const std::string& title, Buttons buttons, Icon icon,
                    Answer fallback) override;
    std::unique_ptr<Progress> progress(const std::string& title) override;
    std::optional<std::string> chooseFile(const tavlo::FileChoice& choice) override;

    std::vector<ShownText> shown() const;
    std::vector<std::string> messages() const; // texts of message boxes only
    int percentUpdates() const;

private:
    friend class RecordingProgress;
    void record(ShownText t);
    mutable std::mutex mutex_;
    std::vector<ShownText> shown_;
    int updates_ = 0;
};

} // namespace tavlo::test
