#include "platform/pointer_source.h"

#include <gtest/gtest.h>

namespace tavlo::platform {
namespace {

TEST(PointerShape, PremultipliedArgbBecomesTableForm) {
    const std::uint32_t argb[4] = {0x00000000, 0xFF000000, 0xFFFFFFFF, 0x80400000};
    PointerShape s = pointerShapeFromArgb(9, 2, 2, 1, 1, argb);
    EXPECT_EQ(s.pixels[0], kPointerTransparent);
    EXPECT_EQ(s.pixels[1], 0x00000000u);
    EXPECT_EQ(s.pixels[2], 0x00FFFFFFu); // opaque white stays a colour, not the transparent marker
    EXPECT_EQ(s.pixels[3], 0x00800000u); // un-premultiplied red at half alpha
}

} // namespace
} // namespace tavlo::platform
