// Resizing frame pictures to the movie's output size.
#include "movie/picture_scaling.h"

#include <gtest/gtest.h>

namespace tavlo::movie {
namespace {

using project::PixelBuffer;

int channel(std::uint32_t v, int shift) { return int(v >> shift & 255); }

TEST(PictureScaler, FlatPicturesStayFlatAtAnySize) {
    PictureScaler scaler;
    const PixelBuffer in(37, 23, 0x12AB7F);
    for (auto [w, h] : {std::pair{37, 23}, {18, 11}, {100, 61}, {1, 1}, {37, 5}, {3, 90}}) {
        const PixelBuffer& out = scaler.scale(in, w, h);
        for (std::uint32_t v : out.pixels) ASSERT_EQ(v, 0x12AB7Fu) << w << "x" << h;
    }
}

TEST(PictureScaler, HalvingAveragesNeighboursAndKeepsEdgesApart) {
    // Columns 0..7 black, 8..15 white: halved, the left quarter is black, the right white, and
    // only the columns at the border are mixed.
    PixelBuffer in(16, 4, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 8; x < 16; ++x) in.row(y)[x] = 0xFFFFFF;
    PictureScaler scaler;
    const PixelBuffer& out = scaler.scale(in, 8, 2);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(out.at(0, y), 0u);
        EXPECT_EQ(out.at(2, y), 0u);
        EXPECT_EQ(out.at(5, y), 0xFFFFFFu);
        EXPECT_EQ(out.at(7, y), 0xFFFFFFu);
        EXPECT_GT(channel(out.at(4, y), 8), channel(out.at(3, y), 8));
    }
    // A one-pixel checkerboard halves to even grey (no aliasing into stripes).
    PixelBuffer checker(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) checker.row(y)[x] = (x + y) % 2 ? 0xFFFFFF : 0;
    const PixelBuffer& half = scaler.scale(checker, 32, 32);
    for (int y = 2; y < 30; ++y)
        for (int x = 2; x < 30; ++x) EXPECT_NEAR(channel(half.at(x, y), 0), 128, 3) << x << "," << y;
}

TEST(PictureScaler, EnlargingInterpolatesBetweenPixels) {
    PixelBuffer in(2, 1);
    in.row(0)[0] = 0x000000;
    in.row(0)[1] = 0x0000C8; // blue 200
    PictureScaler scaler;
    const PixelBuffer& out = scaler.scale(in, 8, 3);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(out.at(0, y), 0u);
        EXPECT_EQ(out.at(7, y), 0xC8u);
        for (int x = 1; x < 8; ++x) EXPECT_GE(channel(out.at(x, y), 0), channel(out.at(x - 1, y), 0));
    }
    EXPECT_NEAR(channel(out.at(4, 0), 0), 112, 15);
}

TEST(PictureScaler, ALaterPictureGivesWhatAFreshScalerGives) {
    // Pictures of one size after each other: only changed rows are worked out again, which must
    // give exactly the result of scaling the picture afresh, whatever changed.
    PixelBuffer a(120, 90);
    std::uint32_t seed = 1;
    for (std::uint32_t& v : a.pixels) v = (seed = seed * 1103515245 + 12345) >> 8 & 0xFFFFFF;
    PictureScaler reused;
    reused.scale(a, 77, 41);
    for (auto [from, to] : {std::pair{0, 0}, {45, 47}, {89, 89}, {10, 80}, {-1, -1}}) {
        PixelBuffer b = a;
        for (int y = from; y >= 0 && y <= to; ++y)
            for (int x = 0; x < b.width; ++x) b.row(y)[x] ^= 0x5A5A5A;
        PictureScaler fresh;
        const PixelBuffer expected = fresh.scale(b, 77, 41);
        EXPECT_EQ(reused.scale(b, 77, 41).pixels, expected.pixels) << from << ".." << to;
        a = b;
    }
    // Another size starts over.
    EXPECT_EQ(reused.scale(a, 30, 20).width, 30);
}

} // namespace
} // namespace tavlo::movie
