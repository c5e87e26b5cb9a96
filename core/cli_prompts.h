#pragma once
// UiPrompts for the command line: messages go to stderr, questions take their fallback answer,
// progress is one updating line when stderr is a terminal. Cancelling is by SIGINT.
#include "core/ui_prompts.h"

#include <cstdio>

namespace tavlo {

class CliPrompts : public UiPrompts {
public:
    explicit CliPrompts(std::FILE* out = stderr);
    void message(const std::string& text, const std::string& title, Icon icon) override;
    Answer question(const std::string& text, const std::string& title, Buttons buttons, Icon icon,
                    Answer fallback) override;
    std::unique_ptr<Progress> progress(const std::string& title) override;
    std::optional<std::string> chooseFile(const FileChoice& choice) override;

    // After this, Ctrl+C marks running progress cancelled instead of killing the process.
    static void catchInterrupt();

private:
    std::FILE* out_;
};

// Message texts keep the trailing blanks of their dialog form; a terminal line does not need them.
std::string trimForTerminal(const std::string& text);

} // namespace tavlo
