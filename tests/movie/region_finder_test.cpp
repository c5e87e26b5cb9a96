// The change search, the noise filter and the widening of found rectangles.
#include "movie/region_finder.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavlo::movie {
namespace {

struct Pictures {
    int w, h;
    std::vector<std::uint32_t> cur, prev;
    Pictures(int width, int height)
        : w(width), h(height), cur(std::size_t(width) * height, 0xFFFFFF), prev(cur) {}
    void change(int x0, int y0, int x1, int y1) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) cur[std::size_t(y) * w + x] = 0x102030;
    }
    std::vector<Region> find(int gap = 20) {
        RegionFinder f(gap, w, h);
        return f.find(cur.data(), prev.data(), {0, 0, w - 1, h - 1});
    }
};

TEST(RegionFinder, UnchangedPicturesGiveNothing) {
    Pictures p(64, 48);
    EXPECT_TRUE(p.find().empty());
}

TEST(RegionFinder, OneChangedPixelIsRoundedToAnEvenWidth) {
    Pictures p(64, 48);
    p.change(5, 10, 5, 10);
    ASSERT_EQ(p.find(), (std::vector<Region>{{4, 10, 5, 10}}));
}

struct GapCase {
    int gapColumns; // unchanged columns between the two areas
    size_t rectangles;
};

class GapTest : public ::testing::TestWithParam<GapCase> {};

// Two areas, each two columns wide, side by side on the same rows.
TEST_P(GapTest, AreasWithinTheGapStayTogether) {
    Pictures p(200, 40);
    const int firstEnd = 11, secondStart = firstEnd + GetParam().gapColumns;
    p.change(10, 5, firstEnd, 8);
    p.change(secondStart, 5, secondStart + 1, 8);
    std::vector<Region> found = p.find(20);
    ASSERT_EQ(found.size(), GetParam().rectangles);
    if (found.size() == 1) {
        int right = secondStart + 1;
        right += (right + 1) % 2; // rounded up to an odd column
        EXPECT_EQ(found[0], (Region{10, 5, right, 8}));
    } else {
        EXPECT_EQ(found[0], (Region{10, 5, 11, 8}));
        EXPECT_EQ(found[1].x0, secondStart - secondStart % 2);
    }
}

// x - last is the distance from the last changed column: 20 joins, 21 parts.
INSTANTIATE_TEST_SUITE_P(Gap20, GapTest, ::testing::Values(GapCase{20, 1}, GapCase{21, 2}, GapCase{60, 2}));

TEST(RegionFinder, ASingleChangedColumnJoinsTheNextHoweverFar) {
    Pictures p(200, 40);
    p.change(10, 5, 10, 8);   // one column
    p.change(150, 5, 151, 8); // far beyond the gap
    std::vector<Region> found = p.find(20);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].x0, 10);
    EXPECT_EQ(found[0].x1, 151);
}

TEST(RegionFinder, AreasOnSeparateRowsAreFoundApart) {
    Pictures p(100, 200);
    p.change(10, 10, 19, 19);
    p.change(10, 100, 19, 109);
    std::vector<Region> found = p.find(20);
    ASSERT_EQ(found, (std::vector<Region>{{10, 10, 19, 19}, {10, 100, 19, 109}}));
}

TEST(RegionFinder, AnOddPictureWidthKeepsTheRightEdgeInside) {
    Pictures p(65, 10);
    p.change(64, 3, 64, 3);
    std::vector<Region> found = p.find();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0], (Region{64, 3, 64, 3}));
}

TEST(RegionFinder, TooManyChangesGrowTheLastRectangle) {
    Pictures p(2100, 64);
    for (int x = 0; x < 2100; x += 2) // 1050 columns, apart from each other by more than the gap 1
        for (int y = 0; y < 64; y += 4) p.change(x, y, x, y);
    std::vector<Region> found = p.find(1);
    ASSERT_EQ(int(found.size()), RegionFinder::kMaxRegions);
    // Every changed pixel lies in some rectangle.
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 2100; ++x) {
            if (p.cur[std::size_t(y) * 2100 + x] == p.prev[std::size_t(y) * 2100 + x]) continue;
            bool inside = false;
            for (const Region& r : found) inside |= r.contains({x, y, x, y});
            ASSERT_TRUE(inside) << x << "," << y;
        }
}

TEST(NoiseFilter, RectanglesWithAtMostTheLimitOfChangedPixelsAreSkipped) {
    Pictures p(32, 32);
    p.change(1, 1, 3, 1); // three pixels
    const Region r{0, 0, 7, 7};
    EXPECT_FALSE(passesNoiseFilter(p.cur.data(), p.prev.data(), 32, r, 3));
    p.change(1, 2, 1, 2); // a fourth
    EXPECT_TRUE(passesNoiseFilter(p.cur.data(), p.prev.data(), 32, r, 3));
    EXPECT_TRUE(passesNoiseFilter(p.cur.data(), p.prev.data(), 32, r, 0)); // off
}

struct WidenCase {
    Region in, out;
};

class WidenTest : public ::testing::TestWithParam<WidenCase> {};

TEST_P(WidenTest, GrowsAndStaysInside) {
    EXPECT_EQ(widenRegion(GetParam().in, 100, 50), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, WidenTest,
    ::testing::Values(WidenCase{{4, 10, 5, 10}, {2, 9, 7, 11}},     // inside: 2 each side, a row each way
                      WidenCase{{0, 10, 5, 10}, {0, 9, 9, 11}},     // left edge: 4 to the right
                      WidenCase{{0, 0, 97, 49}, {0, 0, 99, 49}},    // but never past the right edge
                      WidenCase{{90, 10, 99, 10}, {86, 9, 99, 11}}, // right edge: 4 to the left
                      WidenCase{{2, 0, 3, 49}, {0, 0, 5, 49}},      // clamped at the top, bottom, left
                      WidenCase{{0, 0, 99, 49}, {0, 0, 99, 49}}));  // the whole picture

} // namespace
} // namespace tavlo::movie
