#include "project/image/capture_files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tavlo::project {

std::optional<TempFile> createTempFile(const std::string& folder, const std::string& prefix) {
    std::string name = folder;
    if (!name.empty() && name.back() != '/') name += '/';
    name += prefix + "XXXXXX.tmp";
    const int fd = mkstemps(name.data(), 4);
    if (fd < 0) return std::nullopt;
    return TempFile{name, fd};
}

std::array<std::uint8_t, kHeaderChunkBytes> headerChunk(int width, int height, bool compressed) {
    std::array<std::uint8_t, kHeaderChunkBytes> out{};
    char signature[17] = {};
    std::snprintf(signature, sizeof signature, "Tavlo%2.2d.%2.2d", 8, 66);
    std::memcpy(out.data(), signature, std::strlen(signature));
    const std::uint16_t words[3] = {static_cast<std::uint16_t>(compressed ? 1 : 0),
                                    static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height)};
    for (int i = 0; i < 3; ++i) {
        out[16 + 2 * i] = static_cast<std::uint8_t>(words[i]);
        out[17 + 2 * i] = static_cast<std::uint8_t>(words[i] >> 8);
    }
    return out;
}

} // namespace tavlo::project
