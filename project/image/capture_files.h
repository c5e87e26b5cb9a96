#pragma once
// The temporary files of a recording: names made by mkstemps in the capture folder from a short
// prefix ("DMO" data, "DIX" index, "WAV" sound), then six characters and ".tmp".
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tavlo::project {

inline constexpr const char* kDataPrefix = "DMO";
inline constexpr const char* kIndexPrefix = "DIX";
inline constexpr const char* kSoundPrefix = "WAV";

struct TempFile {
    std::string path;
    int fd = -1; // open for reading and writing, mode 0600
};

// Nothing when the folder is missing or not writable.
std::optional<TempFile> createTempFile(const std::string& folder, const std::string& prefix);

// The 22-byte header chunk that starts a capture data file: "Tavlo08.66" padded with zero bytes to
// 16, u16 flags (bit 0: images compressed), u16 width, u16 height.
inline constexpr std::size_t kHeaderChunkBytes = 22;
std::array<std::uint8_t, kHeaderChunkBytes> headerChunk(int width, int height, bool compressed);

} // namespace tavlo::project
