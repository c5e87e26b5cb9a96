#pragma once
// The two run-length pixel forms of the record stream.
//  24-bit: a byte with bit 7 set starts a repeat count ((byte & 0x7F) × 256 + next byte; several
//          such prefixes add up); otherwise the byte is red >> 1, followed by blue and green.
//  15-bit: u16 words; bit 15 set adds (word & 0x7FFF) to the repeat count, else the word is a
//          pixel 0RRRRRGGGGGBBBBB, each channel expanded as (v << 3) | 7.
// A pixel preceded by repeat count n stands for n + 1 pixels; the writer ends a run at 32767.
#include "project/image/byte_io.h"
#include "project/image/image_record.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavlo::project {

// Appends the encoded form of `count` pixels (0x00RRGGBB); every pixel adds 1 to `histogram`
// when one is given.
void encodeRle24(const std::uint32_t* pixels, std::size_t count, std::vector<std::uint8_t>& out,
                 ColourHistogram* histogram);
void encodeRle15(const std::uint32_t* pixels, std::size_t count, std::vector<std::uint8_t>& out,
                 ColourHistogram* histogram);

struct RleResult {
    std::size_t decoded = 0; // pixels written (or skipped)
    bool complete = false;   // all `count` pixels were present and no run overran them
};

// Reads `count` pixels into `out` (null: only consume them). A truncated stream or a run longer
// than the pixels left stops early: the pixels decoded so far are kept.
RleResult decodeRle24(ByteReader& in, std::uint32_t* out, std::size_t count);
RleResult decodeRle15(ByteReader& in, std::uint32_t* out, std::size_t count);

inline std::uint32_t expand15(std::uint16_t word) {
    const std::uint32_t r = ((word >> 10) & 0x1F) << 3 | 7;
    const std::uint32_t g = ((word >> 5) & 0x1F) << 3 | 7;
    const std::uint32_t b = (word & 0x1F) << 3 | 7;
    return r << 16 | g << 8 | b;
}

} // namespace tavlo::project
