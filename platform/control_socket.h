#pragma once
// Lets other programs pause, resume, save or stop a running recording: a Unix socket in the
// user's runtime folder (mode 0600) that takes one command line and answers one line.
#include <functional>
#include <string>
#include <thread>

namespace tavlo::platform {

// $XDG_RUNTIME_DIR/tavlo-control, else a private folder under /tmp.
std::string defaultControlSocketPath();

class ControlServer {
public:
    using Handler = std::function<std::string(const std::string& command)>;
    ~ControlServer();
    // Listens on `path`; a socket left behind by a program that ended is replaced, one that
    // another running Tavlo answers on is not (false, with the reason in `error`).
    bool start(const std::string& path, Handler handler, std::string& error);
    void stop();
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
    int wake_[2] = {-1, -1};
    std::thread thread_;
};

// Sends one command and returns the answer; false with `error` when nobody listens.
bool sendControlCommand(const std::string& path, const std::string& command, std::string& answer,
                        std::string& error);

} // namespace tavlo::platform
