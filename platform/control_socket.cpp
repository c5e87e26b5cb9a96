#include "platform/control_socket.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tavlo::platform {

namespace {

bool fillAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int connectTo(const std::string& path) {
    sockaddr_un addr;
    if (!fillAddress(path, addr)) return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// One line of at most 256 bytes, with a time limit so a silent peer cannot hold us.
std::string readLine(int fd, int timeoutMs) {
    std::string line;
    pollfd p{fd, POLLIN, 0};
    while (line.size() < 256 && poll(&p, 1, timeoutMs) > 0) {
        char c;
        if (read(fd, &c, 1) != 1 || c == '\n') break;
        line += c;
    }
    return line;
}

void writeAll(int fd, const std::string& s) {
    std::size_t done = 0;
    while (done < s.size()) {
        ssize_t n = send(fd, s.data() + done, s.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

} // namespace

std::string defaultControlSocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return std::string(runtime) + "/tavlo-control";
    std::string folder = "/tmp/tavlo-" + std::to_string(getuid());
    mkdir(folder.c_str(), 0700);
    return folder + "/control";
}

ControlServer::~ControlServer() {
    stop();
}

bool ControlServer::start(const std::string& path, Handler handler, std::string& error) {
    stop();
    sockaddr_un addr;
    if (!fillAddress(path, addr)) {
        error = "The control socket path is too long: " + path;
        return false;
    }
    if (int other = connectTo(path); other >= 0) {
        close(other);
        error = "Another Tavlo already listens for control commands on " + path + ".";
        return false;
    }
    unlink(path.c_str()); // left behind by a program that ended without cleaning up
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        error = std::string("Cannot make the control socket: ") + std::strerror(errno);
        return false;
    }
    // Only this user may command the recorder: the socket never exists with wider rights.
    mode_t old = umask(0177);
    int rc = bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    umask(old);
    if (rc != 0 || listen(fd_, 4) != 0 || pipe(wake_) != 0) {
        error = "Cannot listen on " + path + ": " + std::strerror(errno);
        close(fd_);
        fd_ = -1;
        return false;
    }
    chmod(path.c_str(), 0600);
    path_ = path;
    thread_ = std::thread([this, handler = std::move(handler)] {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        while (poll(fds, 2, -1) >= 0 || errno == EINTR) {
            if (fds[1].revents) return;
            if (!(fds[0].revents & POLLIN)) continue;
            int client = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) continue;
            std::string command = readLine(client, 2000);
            writeAll(client, handler(command) + "\n");
            close(client);
        }
    });
    return true;
}

void ControlServer::stop() {
    if (thread_.joinable()) {
        char b = 1;
        if (write(wake_[1], &b, 1) < 0) {
        }
        thread_.join();
    }
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
        unlink(path_.c_str());
    }
    for (int& w : wake_) {
        if (w >= 0) close(w);
        w = -1;
    }
}

bool sendControlCommand(const std::string& path, const std::string& command, std::string& answer,
                        std::string& error) {
    int fd = connectTo(path);
    if (fd < 0) {
        error = "No Tavlo recording is running (nothing listens on " + path + ").";
        return false;
    }
    writeAll(fd, command + "\n");
    answer = readLine(fd, 5000);
    close(fd);
    return true;
}

} // namespace tavlo::platform
