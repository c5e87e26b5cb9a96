#include "platform/restart.h"

#include <cstdio>
#include <unistd.h>

namespace tavlo {

bool restartProgram(const std::string& program) {
    std::string path = program;
    if (path.empty()) {
        char buf[4096];
        ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
        if (n <= 0) return false;
        path.assign(buf, static_cast<std::size_t>(n));
    }
    std::fflush(nullptr);
    char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
    execv(path.c_str(), argv);
    return false;
}

} // namespace tavlo
