// How a changed rectangle becomes a shape: plain, reused, 8-bit, JPEG or 32-bit.
#include "movie/region_encoder.h"
#include "swf/movie.h"
#include "tests/support/recording_prompts.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavlo::movie {
namespace {

using Kind = EncodedRegion::Kind;

struct Fixture : ::testing::Test {
    test::RecordingPrompts prompts;
    swf::SwfContext ctx{prompts};
    RegionEncoder encoder{ctx, 20, 90};
    int w = 128, h = 64;
    std::vector<std::uint32_t> cur = std::vector<std::uint32_t>(std::size_t(w) * h, 0xFFFFFF);
    std::vector<std::uint32_t> prev = cur;

    EncodedRegion encode(const Region& r) { return encoder.encode(cur.data(), prev.data(), w, r); }
    void paint(const Region& r, std::uint32_t (*colour)(int x, int y)) {
        for (int y = r.y0; y <= r.y1; ++y)
            for (int x = r.x0; x <= r.x1; ++x) cur[std::size_t(y) * w + x] = colour(x, y);
    }
};

TEST_F(Fixture, OneColourIsAPlainRectangle) {
    paint({0, 0, 15, 15}, [](int, int) { return 0x336699u; });
    EncodedRegion e = encode({0, 0, 15, 15});
    EXPECT_EQ(e.kind, Kind::Plain);
    EXPECT_EQ(e.colours, 1);
    EXPECT_EQ(e.shape->bitmap(), nullptr);
    EXPECT_TRUE(e.opaque);
    // The pixels now count as shown.
    EXPECT_EQ(prev[0], 0x336699u);
}

TEST_F(Fixture, FewColoursGiveAnEightBitBitmapAndManyATrueColourOne) {
    paint({0, 0, 31, 31}, [](int x, int y) { return std::uint32_t((x + y) % 7) * 0x202020u; });
    EXPECT_EQ(encode({0, 0, 31, 31}).kind, Kind::Palette8);
    // Smooth noise-free gradient of 1024 colours: lossless data is small, but JPEG wins on a photo.
    paint({32, 0, 95, 63},
          [](int x, int y) { return std::uint32_t((x * 37 + y * 101) * 2654435761u) & 0xFFFFFF; });
    EncodedRegion noisy = encode({32, 0, 95, 63});
    EXPECT_GT(noisy.colours, 255);
    EXPECT_TRUE(noisy.kind == Kind::Jpeg || noisy.kind == Kind::Lossless32);
    EXPECT_GT(encoder.imageBytes(), 0u);
    // A small many-coloured rectangle is never a JPEG.
    paint({96, 0, 127, 9}, [](int x, int y) { return std::uint32_t(x * 1000 + y * 77777); });
    EXPECT_EQ(encode({96, 0, 127, 9}).kind, Kind::Lossless32);
}

TEST_F(Fixture, AnIdenticalRectangleReusesItsBitmap) {
    auto pattern = [](int x, int y) { return std::uint32_t((x % 4) * 0x400000 + (y % 3) * 0x40); };
    paint({0, 0, 15, 7}, pattern);
    EncodedRegion a = encode({0, 0, 15, 7});
    ASSERT_EQ(a.kind, Kind::Palette8);
    // The same pixels elsewhere (the pattern repeats every 12 columns and 3 rows... and 4 columns).
    paint({48, 30, 63, 37},
          [](int x, int y) { return std::uint32_t(((x - 48) % 4) * 0x400000 + ((y - 30) % 3) * 0x40); });
    EncodedRegion b = encode({48, 30, 63, 37});
    EXPECT_EQ(b.kind, Kind::Reused);
    EXPECT_EQ(b.shape->bitmap(), a.shape->bitmap());
}

TEST_F(Fixture, ASameSumOfAnotherShapeNeverReusesTheBitmap) {
    // One colour pattern laid out as 16 x 2 and as 8 x 4: the same pixels in the same order, so
    // the same weighted sum, but another picture.
    auto stripes = [](int x, int y) { return (x + y) % 2 ? 0x000000u : 0xFF0000u; };
    paint({0, 0, 15, 1}, stripes);
    paint({0, 10, 7, 13}, stripes);
    // Same sequence of values row after row needs equal row-major order: build it by hand.
    std::vector<std::uint32_t> seq;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 16; ++x) seq.push_back(cur[std::size_t(y) * w + x]);
    for (int i = 0; i < 32; ++i) cur[std::size_t(10 + i / 8) * w + (i % 8)] = seq[std::size_t(i)];
    EncodedRegion a = encode({0, 0, 15, 1});
    EncodedRegion b = encode({0, 10, 7, 13});
    ASSERT_NE(a.kind, Kind::Plain);
    EXPECT_NE(b.kind, Kind::Reused);
    EXPECT_NE(b.shape->bitmap(), a.shape->bitmap());
}

} // namespace
} // namespace tavlo::movie
