#pragma once
// The FastLZ compressed format, levels 1 and 2, written from its public description. The level is
// kept in the top three bits of the first byte (0 = level 1, 1 = level 2). Instructions:
//  literal run  000LLLLL, then L + 1 bytes
//  match        LLLDDDDD [length bytes] DDDDDDDD: length L + 2 (L = 7: plus one byte in level 1,
//               plus bytes up to and including the first that is not 255 in level 2), distance
//               D + 1 up to 8192; in level 2 a distance field of 8191 is followed by a 16-bit
//               big-endian extra distance, giving distances up to 8191 + 65536.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tavlo::project {

// Appends the compressed form of `input` (nothing for empty input). `level` is 1 or 2.
void fastlzCompress(int level, std::span<const std::uint8_t> input, std::vector<std::uint8_t>& out);

// Decompresses into `out` (capacity out.size()). Returns the number of bytes produced, or nothing
// when the data is damaged: an unknown level, a truncated instruction, a match reaching before the
// start, or output beyond the capacity.
std::optional<std::size_t> fastlzDecompress(std::span<const std::uint8_t> input, std::span<std::uint8_t> out);

} // namespace tavlo::project
