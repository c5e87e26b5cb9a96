#pragma once
// A private X server for a test program: Xvfb on a free display number, DISPLAY pointed at it
// while the object lives.
#include <string>
#include <sys/types.h>

namespace tavlo::test {

class XvfbDisplay {
public:
    explicit XvfbDisplay(int width = 1280, int height = 800);
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;
    bool ok() const { return !display_.empty(); }
    const std::string& display() const { return display_; }
    // Runs a shell command (xdotool, ...) against this display; returns its exit status.
    int run(const std::string& command) const;

private:
    pid_t pid_ = -1;
    std::string display_;
    std::string saved_;
    bool hadDisplay_ = false;
};

} // namespace tavlo::test
