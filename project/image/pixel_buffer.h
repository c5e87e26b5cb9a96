#pragma once
// A plain picture: width × height 32-bit pixels 0x00RRGGBB, row after row from the top. Frame
// pictures, decoded rectangles and snapshots are painted through raw rows of this, never through
// a per-pixel call.
#include <cstdint>
#include <vector>

namespace tavlo::project {

struct PixelBuffer {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    PixelBuffer() = default;
    PixelBuffer(int w, int h, std::uint32_t fill = 0)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill) {}

    std::uint32_t* row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
    const std::uint32_t* row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
    std::uint32_t at(int x, int y) const { return row(y)[x]; }
    void fill(std::uint32_t value) { std::fill(pixels.begin(), pixels.end(), value); }
};

} // namespace tavlo::project
