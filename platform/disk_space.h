#pragma once
#include <cstdint>
#include <string>

namespace tavlo::platform {

// Bytes the user may still write in the file system that holds `folder`; -1 when unknown.
std::int64_t freeDiskBytes(const std::string& folder);

} // namespace tavlo::platform
