#pragma once
// The one way the core talks to the user: message boxes, questions, progress and file choices.
// The GUI answers with dialogs, the command line prints and takes defaults, tests script answers.
#include <memory>
#include <optional>
#include <string>

namespace tavlo {

enum class Icon { None, Information, Warning, Error, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

// One long operation. Workers call it from any thread; `cancelled` is polled by long loops.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void step(const std::string& text) = 0; // starts a new line of the progress window
    virtual void setPercent(int percent) = 0;       // 0..100 of the current step
    virtual bool cancelled() const = 0;
};

struct FileChoice {
    std::string title;
    std::string filter;      // e.g. "Tavlo (*.tavlo)"
    std::string initialPath; // folder or file name proposed
    bool save = false;
};

class UiPrompts {
public:
    virtual ~UiPrompts() = default;
    virtual void message(const std::string& text, const std::string& title, Icon icon = Icon::None) = 0;
    // `fallback` is what a prompt without a user (the command line) answers.
    virtual Answer question(const std::string& text, const std::string& title, Buttons buttons,
                            Icon icon = Icon::Question, Answer fallback = Answer::Cancel) = 0;
    virtual std::unique_ptr<Progress> progress(const std::string& title) = 0;
    virtual std::optional<std::string> chooseFile(const FileChoice& choice) = 0;
};

// A progress that nobody watches and nobody cancels.
class SilentProgress : public Progress {
public:
    void step(const std::string&) override {}
    void setPercent(int) override {}
    bool cancelled() const override { return false; }
};

} // namespace tavlo
