#include "project/image/rle_codec.h"

#include <algorithm>

namespace tavlo::project {

namespace {

// Length of the run of pixels equal to pixels[0] under `mask`, capped at `limit`.
std::size_t runLength(const std::uint32_t* pixels, std::size_t left, std::uint32_t mask, std::size_t limit) {
    const std::uint32_t first = pixels[0] & mask;
    const std::size_t cap = std::min(left, limit);
    std::size_t n = 1;
    while (n < cap && (pixels[n] & mask) == first) ++n;
    return n;
}

} // namespace

void encodeRle24(const std::uint32_t* pixels, std::size_t count, std::vector<std::uint8_t>& out,
                 ColourHistogram* histogram) {
    // Red loses its lowest bit, so pixels that differ only there share a run.
    constexpr std::uint32_t kMask = 0x00FEFFFF;
    std::size_t i = 0;
    while (i < count) {
        const std::size_t run = runLength(pixels + i, count - i, kMask, kMaxRunRepeats + 1);
        const std::uint32_t p = pixels[i];
        if (histogram) (*histogram)[colourIndex(p)] += static_cast<std::uint32_t>(run);
        const std::size_t repeats = run - 1;
        if (repeats > 0) {
            out.push_back(static_cast<std::uint8_t>(0x80 | (repeats >> 8)));
            out.push_back(static_cast<std::uint8_t>(repeats & 0xFF));
        }
        out.push_back(static_cast<std::uint8_t>(((p >> 16) & 0xFF) >> 1));
        out.push_back(static_cast<std::uint8_t>(p & 0xFF));        // blue
        out.push_back(static_cast<std::uint8_t>((p >> 8) & 0xFF)); // green
        i += run;
    }
}

void encodeRle15(const std::uint32_t* pixels, std::size_t count, std::vector<std::uint8_t>& out,
                 ColourHistogram* histogram) {
    constexpr std::uint32_t kMask = 0x00F8F8F8;
    std::size_t i = 0;
    while (i < count) {
        const std::size_t run = runLength(pixels + i, count - i, kMask, kMaxRunRepeats + 1);
        const std::uint32_t index = colourIndex(pixels[i]);
        if (histogram) (*histogram)[index] += static_cast<std::uint32_t>(run);
        const std::size_t repeats = run - 1;
        if (repeats > 0) {
            const auto word = static_cast<std::uint16_t>(0x8000 | repeats);
            out.push_back(static_cast<std::uint8_t>(word));
            out.push_back(static_cast<std::uint8_t>(word >> 8));
        }
        out.push_back(static_cast<std::uint8_t>(index));
        out.push_back(static_cast<std::uint8_t>(index >> 8));
        i += run;
    }
}

RleResult decodeRle24(ByteReader& in, std::uint32_t* out, std::size_t count) {
    RleResult result;
    std::size_t repeats = 0;
    while (result.decoded < count) {
        std::uint8_t b;
        if (!in.u8(b)) return result;
        if (b & 0x80) {
            std::uint8_t low;
            if (!in.u8(low)) return result;
            repeats += std::size_t(b & 0x7F) << 8 | low;
            continue;
        }
        std::uint8_t blue, green;
        if (!in.u8(blue) || !in.u8(green)) return result;
        const std::uint32_t pixel = std::uint32_t(b) << 17 | std::uint32_t(green) << 8 | blue;
        const std::size_t left = count - result.decoded;
        const std::size_t n = std::min(repeats + 1, left);
        if (out) std::fill_n(out + result.decoded, n, pixel);
        result.decoded += n;
        if (repeats + 1 > left) return result; // a run past the rectangle: the stream is damaged
        repeats = 0;
    }
    result.complete = true;
    return result;
}

RleResult decodeRle15(ByteReader& in, std::uint32_t* out, std::size_t count) {
    RleResult result;
    std::size_t repeats = 0;
    while (result.decoded < count) {
        std::uint16_t word;
        if (!in.u16(word)) return result;
        if (word & 0x8000) {
            repeats += word & 0x7FFF;
            continue;
        }
        const std::uint32_t pixel = expand15(word);
        const std::size_t left = count - result.decoded;
        const std::size_t n = std::min(repeats + 1, left);
        if (out) std::fill_n(out + result.decoded, n, pixel);
        result.decoded += n;
        if (repeats + 1 > left) return result;
        repeats = 0;
    }
    result.complete = true;
    return result;
}

} // namespace tavlo::project
