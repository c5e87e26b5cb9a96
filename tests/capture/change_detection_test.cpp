#include "capture/change_detection.h"

#include <gtest/gtest.h>
#include <random>

namespace tavlo::capture {
namespace {

struct Screen {
    int w, h;
    std::vector<std::uint32_t> before, after;
    Screen(int w_, int h_) : w(w_), h(h_), before(std::size_t(w_) * h_, 0x00808080u), after(before) {}
    void paint(int x0, int y0, int x1, int y1, std::uint32_t c = 0x00FF0000u) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) after[std::size_t(y) * w + x] = c;
    }
    std::vector<ChangedRect> find() const { return findChangedRectangles(before.data(), after.data(), w, h); }
};

TEST(ChangeDetection, RectanglesAsTheGapRuleGroupsThem) {
    struct Case {
        const char* name;
        std::vector<ChangedRect> paint;
        std::vector<ChangedRect> expect;
    } cases[] = {
        {"nothing changed", {}, {}},
        {"one pixel at x=5 widens to an even left edge", {{5, 7, 5, 7}}, {{4, 7, 5, 7}}},
        {"one pixel at x=6 widens to an odd right edge", {{6, 7, 6, 7}}, {{6, 7, 7, 7}}},
        {"two areas 10 columns apart are one", {{10, 10, 19, 19}, {30, 10, 39, 19}}, {{10, 10, 39, 19}}},
        {"two areas 30 columns apart are two",
         {{10, 10, 19, 19}, {50, 10, 59, 19}},
         {{10, 10, 19, 19}, {50, 10, 59, 19}}},
        {"areas in one column band but far apart in rows split by rows",
         {{10, 0, 19, 3}, {10, 80, 19, 83}},
         {{10, 0, 19, 3}, {10, 80, 19, 83}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Screen s(200, 100);
        for (const auto& r : c.paint) s.paint(r.left, r.top, r.right, r.bottom);
        EXPECT_EQ(s.find(), c.expect);
    }
}

TEST(ChangeDetection, OddWidthFramesNeverGetAColumnPastTheEdge) {
    Screen s(641, 11);
    s.paint(0, 0, 640, 10);
    auto rects = s.find();
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0], (ChangedRect{0, 0, 640, 10}));
    // A whole-frame change covers exactly width × height, which is what makes a key image.
    EXPECT_EQ(rects[0].area(), std::size_t(641) * 11);
}

TEST(ChangeDetection, EveryChangedPixelIsCoveredInsideTheFrame) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        int w = 1 + int(rng() % 300), h = 1 + int(rng() % 120);
        Screen s(w, h);
        int blobs = int(rng() % 12);
        for (int i = 0; i < blobs; ++i) {
            int x0 = int(rng() % w), y0 = int(rng() % h);
            int x1 = std::min(w - 1, x0 + int(rng() % 40)), y1 = std::min(h - 1, y0 + int(rng() % 30));
            s.paint(x0, y0, x1, y1, rng() | 1);
        }
        auto rects = s.find();
        for (const auto& r : rects) {
            ASSERT_GE(r.left, 0);
            ASSERT_GE(r.top, 0);
            ASSERT_LT(r.right, w);
            ASSERT_LT(r.bottom, h);
            ASSERT_LE(r.left, r.right);
            ASSERT_LE(r.top, r.bottom);
        }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (s.before[std::size_t(y) * w + x] == s.after[std::size_t(y) * w + x]) continue;
                bool covered = std::any_of(rects.begin(), rects.end(), [&](const ChangedRect& r) {
                    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
                });
                ASSERT_TRUE(covered) << "pixel " << x << "," << y;
            }
    }
}

TEST(ChangeDetection, TooManyRectanglesBecomeTheWholeFrame) {
    Screen s(2000, 1100);
    // 50 × 25 isolated dots, further apart than the gap: 1250 rectangles.
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 50; ++x) s.paint(x * 40, y * 44, x * 40, y * 44);
    auto rects = s.find();
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0], (ChangedRect{0, 0, 1999, 1099}));
}

} // namespace
} // namespace tavlo::capture
