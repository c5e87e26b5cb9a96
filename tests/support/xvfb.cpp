#include "tests/support/xvfb.h"

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavlo::test {

XvfbDisplay::XvfbDisplay(int width, int height) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               "+extension", "RANDR", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // Xvfb writes the display number it chose once it accepts connections.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 20000) > 0) {
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(fds[0]);
    if (number.empty()) return;
    if (const char* d = std::getenv("DISPLAY")) {
        hadDisplay_ = true;
        saved_ = d;
    }
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
}

XvfbDisplay::~XvfbDisplay() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    if (hadDisplay_)
        setenv("DISPLAY", saved_.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

int XvfbDisplay::run(const std::string& command) const {
    std::string full = "DISPLAY=" + display_ + " " + command;
    int status = std::system(full.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace tavlo::test
