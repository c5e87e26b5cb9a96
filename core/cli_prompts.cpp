#include "core/cli_prompts.h"

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace tavlo {

namespace {
std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    interrupted = true;
}

class CliProgress : public Progress {
public:
    CliProgress(std::FILE* out, std::string title) : out_(out), tty_(isatty(fileno(out))) {
        std::fprintf(out_, "%s\n", title.c_str());
    }
    ~CliProgress() override {
        if (tty_ && !line_.empty()) std::fprintf(out_, "\n");
    }
    void step(const std::string& text) override {
        if (tty_ && !line_.empty()) std::fprintf(out_, "\n");
        line_ = text;
        percent_ = -1;
        if (!tty_)
            std::fprintf(out_, "%s\n", text.c_str());
        else
            setPercent(0);
    }
    void setPercent(int percent) override {
        if (percent == percent_) return;
        percent_ = percent;
        if (tty_) {
            std::fprintf(out_, "\r%s %3d%%", line_.c_str(), percent);
            std::fflush(out_);
        } else if (percent % 25 == 0 && percent > 0) {
            std::fprintf(out_, "  %d%%\n", percent);
        }
    }
    bool cancelled() const override { return interrupted.load(); }

private:
    std::FILE* out_;
    bool tty_;
    std::string line_;
    int percent_ = -1;
};
} // namespace

std::string trimForTerminal(const std::string& text) {
    std::string t = text;
    while (!t.empty() && (t.back() == ' ' || t.back() == '\n' || t.back() == '\r' || t.back() == '\t'))
        t.pop_back();
    return t;
}

CliPrompts::CliPrompts(std::FILE* out) : out_(out) {}

void CliPrompts::message(const std::string& text, const std::string& title, Icon) {
    std::fprintf(out_, "%s: %s\n", title.c_str(), trimForTerminal(text).c_str());
}

Answer CliPrompts::question(const std::string& text, const std::string& title, Buttons, Icon,
                            Answer fallback) {
    const char* name = fallback == Answer::Yes  ? "Yes"
                       : fallback == Answer::No ? "No"
                       : fallback == Answer::Ok ? "OK"
                                                : "Cancel";
    std::fprintf(out_, "%s: %s [%s]\n", title.c_str(), trimForTerminal(text).c_str(), name);
    return fallback;
}

std::unique_ptr<Progress> CliPrompts::progress(const std::string& title) {
    return std::make_unique<CliProgress>(out_, title);
}

std::optional<std::string> CliPrompts::chooseFile(const FileChoice& choice) {
    if (choice.initialPath.empty()) return std::nullopt;
    return choice.initialPath;
}

void CliPrompts::catchInterrupt() {
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
}

} // namespace tavlo
