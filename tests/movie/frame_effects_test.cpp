// Schedules of the frame effects and transitions: step counts, alphas, the sweeping highlight.
#include "movie/frame_effects.h"
#include "movie/transitions.h"

#include <gtest/gtest.h>

namespace tavlo::movie {
namespace {

TEST(FadeSchedule, NewContentFadesInWithMultipliersEndingAtFull) {
    EXPECT_EQ(fadeInMultipliers(4), (std::vector<int>{64, 128, 192, 256}));
    EXPECT_EQ(fadeInMultipliers(3), (std::vector<int>{85, 170, 256}));
    EXPECT_EQ(fadeInMultipliers(1), (std::vector<int>{256}));
    EXPECT_TRUE(fadeInMultipliers(0).empty());
}

TEST(FadeSchedule, EffectFramesGuardsTimesAndFrameLengthsOfNoSize) {
    EXPECT_EQ(effectFrames(100, 50), 20);
    EXPECT_EQ(effectFrames(12, 50), 2);
    EXPECT_EQ(effectFrames(0, 50), 0);
    EXPECT_EQ(effectFrames(-5, 50), 0);
    EXPECT_EQ(effectFrames(100, 0), 0);
}

TEST(FadeSchedule, ColourLayersOfFadeInAndFadeOut) {
    EXPECT_EQ(emergeAlphas(4), (std::vector<int>{255, 192, 128, 64}));
    EXPECT_TRUE(emergeAlphas(0).empty());
    EXPECT_EQ(sinkAlphas(4), (std::vector<int>{0, 85, 170, 255}));
    EXPECT_EQ(sinkAlphas(2), (std::vector<int>{0, 255}));
    EXPECT_TRUE(sinkAlphas(1).empty()); // never divides by n - 1 = 0
}

TEST(Transitions, OpeningAndClosingStepCounts) {
    const auto in = zoomInScales();
    ASSERT_EQ(in.size(), 26u);
    EXPECT_DOUBLE_EQ(in.front(), 1.0);
    EXPECT_LE(in.back(), 100.0);
    const auto out = zoomOutScales();
    ASSERT_EQ(out.size(), 21u);
    EXPECT_DOUBLE_EQ(out.front(), 100.0);
    EXPECT_GE(out.back(), 1.0);
}

TEST(Transitions, BackgroundFadeAlphas) {
    EXPECT_EQ(fadeInFromBackgroundAlphas(),
              (std::vector<int>{255, 251, 247, 242, 237, 231, 225, 218, 211, 203, 195, 186, 177,
                                167, 157, 146, 135, 123, 111, 98,  85,  71,  57,  42,  27,  12}));
    EXPECT_EQ(fadeOutToBackgroundAlphas(),
              (std::vector<int>{12,  27,  42,  57,  71,  85,  98,  111, 123, 135, 146, 157, 167,
                                177, 186, 195, 203, 211, 218, 225, 231, 237, 242, 247, 251, 255}));
}

TEST(SweepingHighlight, CrossesTheContentInAboutTheEffectTime) {
    // 1 s at 50 ms a frame: 20 steps of 32 x 24 pixels over 640 x 480.
    const SweepPlan p = sweepPlan(640, 480, 100, 50);
    EXPECT_DOUBLE_EQ(p.dx, 32);
    EXPECT_DOUBLE_EQ(p.dy, 24);
    ASSERT_EQ(p.positions.size(), 20u);
    EXPECT_EQ(p.positions[0], (std::pair<int, int>{0, -240}));
    EXPECT_EQ(p.positions[1], (std::pair<int, int>{32, -216}));
}

TEST(SweepingHighlight, StepsSmallerThanAPixelStillAdvanceAndNoTimeDrawsNothing) {
    // 10 s over 100 pixels: dx = 0.5, which truncation alone would never move on.
    const SweepPlan p = sweepPlan(100, 50, 1000, 50);
    ASSERT_EQ(p.positions.size(), 100u);
    for (std::size_t k = 1; k < p.positions.size(); ++k)
        EXPECT_GT(p.positions[k].first, p.positions[k - 1].first);
    EXPECT_TRUE(sweepPlan(100, 50, 0, 50).positions.empty());
    EXPECT_TRUE(sweepPlan(100, 50, 100, 0).positions.empty());
}

} // namespace
} // namespace tavlo::movie
