#include "platform/disk_space.h"

#include <sys/statvfs.h>

namespace tavlo::platform {

std::int64_t freeDiskBytes(const std::string& folder) {
    struct statvfs st {};
    if (statvfs(folder.c_str(), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.f_bavail) * static_cast<std::int64_t>(st.f_frsize);
}

} // namespace tavlo::platform
