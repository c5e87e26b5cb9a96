#pragma once
// Finding the rectangles that changed between two grabs of the capture area. Also used by video
// import, so it is a pure function over two pixel buffers.
#include <cstdint>
#include <vector>

namespace tavlo::capture {

// Inclusive bounds, as the image records store them.
struct ChangedRect {
    int left, top, right, bottom;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    long long area() const { return static_cast<long long>(width()) * height(); }
    bool operator==(const ChangedRect&) const = default;
};

inline constexpr int kChangeGap = 20;
inline constexpr std::size_t kMaxChangedRects = 1024;

// Rectangles of pixels that differ between `before` and `after` (both width × height, rows of
// `width` 32-bit pixels), in the order found. Left edges are even and right edges odd where the
// frame allows; more than kMaxChangedRects rectangles become one rectangle over the whole frame.
std::vector<ChangedRect> findChangedRectangles(const std::uint32_t* before, const std::uint32_t* after,
                                               int width, int height, int gap = kChangeGap);

} // namespace tavlo::capture
