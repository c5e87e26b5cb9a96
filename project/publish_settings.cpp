#include "project/publish_settings.h"

namespace tavlo::project {

std::array<std::uint32_t, 11> CompressorOptions::defaultWords() {
    // compressor "msvc", key frame every 20, quality 10000, flags 12 (key frames and valid),
    // a parameter block of 4 bytes, everything else 0.
    auto fourcc = [](const char* s) {
        return std::uint32_t(std::uint8_t(s[0])) | (std::uint32_t(std::uint8_t(s[1])) << 8) |
               (std::uint32_t(std::uint8_t(s[2])) << 16) | (std::uint32_t(std::uint8_t(s[3])) << 24);
    };
    return {0, fourcc("msvc"), 20, 10000, 0, 12, 0, 0, 0, 4, 0};
}

std::string LanguageList::currentName() const {
    if (current <= 0 || current > int(names.size())) return {};
    return names[std::size_t(current) - 1];
}

} // namespace tavlo::project
