#pragma once
// UiPrompts with Qt dialogs. Callable from any thread: a worker's question is handed to the main
// thread, which asks it, and the worker waits for the answer.
#include "core/ui_prompts.h"

class QWidget;

namespace tavlo::gui {

class QtPrompts : public UiPrompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void message(const std::string& text, const std::string& title, Icon icon) override;
    Answer question(const std::string& text, const std::string& title, Buttons buttons, Icon icon,
                    Answer fallback) override;
    std::unique_ptr<Progress> progress(const std::string& title) override;
    std::optional<std::string> chooseFile(const FileChoice& choice) override;

private:
    QWidget* parent_;
};

} // namespace tavlo::gui
