#pragma once
// Finding the rectangles that changed between two grabs of the capture area. Also used by video
// import, so it is a pure function over two pixel buffers.
#include "project/image/image_record.h"

#include <cstdint>
#include <vector>

namespace tavlo::capture {

// Inclusive bounds, as the image records store them.
using ChangedRect = project::PixelRect;

inline constexpr int kChangeGap = 20;
inline constexpr std::size_t kMaxChangedRects = 1024;

// Rectangles of pixels that differ between `before` and `after` (both width × height, rows of
// `width` 32-bit pixels), in the order found. Left edges are even and right edges odd where the
// frame allows; more than kMaxChangedRects rectangles become one rectangle over the whole frame.
std::vector<ChangedRect> findChangedRectangles(const std::uint32_t* before, const std::uint32_t* after,
                                               int width, int height, int gap = kChangeGap);

} // namespace tavlo::capture
