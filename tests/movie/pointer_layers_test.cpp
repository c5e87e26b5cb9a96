// The pointer's pictures and where and whether they show.
#include "movie/pointer_layers.h"
#include "movie/pointer_placement.h"
#include "platform/pointer_source.h"
#include "tests/support/recording_prompts.h"

#include <gtest/gtest.h>

namespace tavlo::movie {
namespace {

constexpr std::uint32_t T = platform::kPointerTransparent;

TEST(PointerPicture, TransparentValuesClearOthersOpaqueInArgbOrder) {
    const ArgbPicture p = pointerPicture({T, 0x112233, platform::kPointerInverts, 0x000000}, 2, 2);
    ASSERT_EQ(p.bytes.size(), 16u);
    EXPECT_EQ(std::vector<std::uint8_t>(p.bytes.begin(), p.bytes.begin() + 4), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(std::vector<std::uint8_t>(p.bytes.begin() + 4, p.bytes.begin() + 8),
              (std::vector<std::uint8_t>{255, 0x11, 0x22, 0x33}));
    EXPECT_EQ(std::vector<std::uint8_t>(p.bytes.begin() + 8, p.bytes.begin() + 12),
              (std::vector<std::uint8_t>{255, 255, 255, 255})); // an inverting pixel shows white
    EXPECT_EQ(p.alpha(1, 1), 255);
}

TEST(PointerShadow, AlphaCountsOpaquePixelsInTheFiveByFiveSquare) {
    std::vector<std::uint32_t> px(9 * 9, T);
    for (int y = 2; y < 7; ++y)
        for (int x = 2; x < 7; ++x) px[std::size_t(y) * 9 + x] = 0;
    const ArgbPicture s = pointerShadow(pointerPicture(px, 9, 9));
    EXPECT_EQ(s.alpha(4, 4), 100); // all 25 opaque
    EXPECT_EQ(s.alpha(0, 0), 4);   // only (2, 2) reaches
    EXPECT_EQ(s.alpha(8, 4), 4 * 5);
    EXPECT_EQ(s.bytes[(4 * 9 + 4) * 4 + 1], 0); // black
}

TEST(PointerHalo, GlowsAroundTheOpaquePixelsUpToSixtyPremultiplied) {
    std::vector<std::uint32_t> px(30 * 30, 0xFFFFFF);
    const ArgbPicture p = pointerPicture(px, 30, 30);
    const int r = haloRadius(30, 30);
    EXPECT_EQ(r, 20);
    const ArgbPicture h = pointerHalo(p, r, 0xFF8000);
    ASSERT_EQ(h.width, 30 + 2 * r);
    const std::size_t centre = (std::size_t(r + 15) * h.width + r + 15) * 4;
    EXPECT_EQ(h.bytes[centre], 60); // capped
    EXPECT_EQ(h.bytes[centre + 1], 255 * 60 / 255);
    EXPECT_EQ(h.bytes[centre + 2], 128 * 60 / 255);
    EXPECT_EQ(h.bytes[centre + 3], 0);
    EXPECT_EQ(h.alpha(0, 0), 0); // the far corner: every opaque pixel lies beyond R0
    // Outwards from the picture's edge the glow fades without rising again, through partial alphas.
    bool partial = false;
    for (int x = r - 1; x > 0; --x) {
        EXPECT_LE(h.alpha(x - 1, r + 15), h.alpha(x, r + 15));
        partial = partial || (h.alpha(x, r + 15) > 0 && h.alpha(x, r + 15) < 60);
    }
    EXPECT_TRUE(partial);
}

TEST(PointerHalo, ATinyPictureHasNoHaloRatherThanADivisionByZero) {
    EXPECT_EQ(haloRadius(1, 1), 0);
    const ArgbPicture h = pointerHalo(pointerPicture({0}, 1, 1), 0, 0xFFFFFF);
    EXPECT_EQ(h.width, 0);
    EXPECT_TRUE(h.bytes.empty());
}

TEST(PointerMotion, TenPixelsLeftOverFourFramesWithin400MsShowsThreeIntermediatePositions) {
    const auto steps = pointerMotion(100, 50, 90, 50, 4, 100, 1.0, 1.0);
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].step, 1);
    EXPECT_DOUBLE_EQ(steps[0].x, 97.5);
    EXPECT_DOUBLE_EQ(steps[2].x, 92.5);
    EXPECT_DOUBLE_EQ(steps[2].y, 50);
}

TEST(PointerMotion, OnlyShortFramesWithAMoveAndChangedPixelsMove) {
    EXPECT_TRUE(pointerMotion(100, 50, 90, 50, 6, 100, 1, 1).empty()); // 600 ms
    EXPECT_TRUE(pointerMotion(100, 50, 90, 50, 1, 100, 1, 1).empty()); // one SWF frame
    EXPECT_TRUE(pointerMotion(100, 50, 100, 50, 4, 100, 1, 1).empty()); // no move
    EXPECT_TRUE(pointerMotion(100, 50, 90, 50, 4, 0, 1, 1).empty());
    // Half-size output: 2 px over 4 frames shows 50, then 49 from the first step on, once.
    const auto steps = pointerMotion(100, 0, 98, 0, 4, 50, 0.5, 0.5);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].step, 1);
}

struct ShowingCase {
    const char* name;
    void (*change)(project::Frame&, PointerRules&);
    bool picture, shadow, halo;
};

class PointerShowingTest : public ::testing::TestWithParam<ShowingCase> {};

TEST_P(PointerShowingTest, FollowsTheRules) {
    test::RecordingPrompts prompts;
    swf::SwfContext ctx(prompts);
    PointerLayerSet set;
    set.handle = 7;
    set.picture = std::make_unique<swf::SwfRectangle>(ctx, 0, 0, 1, 1);
    set.shadow = std::make_unique<swf::SwfRectangle>(ctx, 0, 0, 1, 1);
    set.halo = std::make_unique<swf::SwfRectangle>(ctx, 0, 0, 1, 1);
    project::Frame f{};
    f.pointerHandle = 7;
    f.pointerX = 10;
    f.pointerY = 20;
    PointerRules rules;
    rules.halo = true;
    GetParam().change(f, rules);
    const PointerShowing s = pointerShowing(f, &set, rules);
    EXPECT_EQ(s.picture, GetParam().picture);
    EXPECT_EQ(s.shadow, GetParam().shadow);
    EXPECT_EQ(s.halo, GetParam().halo);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, PointerShowingTest,
    ::testing::Values(
        ShowingCase{"shown", [](project::Frame&, PointerRules&) {}, true, true, true},
        ShowingCase{"no_pointer_option", [](project::Frame&, PointerRules& r) { r.showPointer = false; }, false,
                    false, false},
        ShowingCase{"no_shadow_option", [](project::Frame&, PointerRules& r) { r.shadow = false; }, true, false,
                    true},
        ShowingCase{"no_handle", [](project::Frame& f, PointerRules&) { f.pointerHandle = 0; }, false, false,
                    false},
        ShowingCase{"hidden_in_editor", [](project::Frame& f, PointerRules&) { f.pointerHidden = 1; }, false,
                    false, false},
        ShowingCase{"over_a_hotspot", [](project::Frame& f, PointerRules&) { f.hotspotOn = 1; }, false, false,
                    false},
        ShowingCase{"hotspot_keeps_it_visible",
                    [](project::Frame& f, PointerRules&) {
                        f.hotspotOn = 1;
                        f.pointerVisible = 1;
                    },
                    true, true, true},
        ShowingCase{"hotspot_ignores_clicks",
                    [](project::Frame& f, PointerRules&) {
                        f.hotspotOn = 1;
                        f.hotspotIgnoreClick = 1;
                    },
                    true, true, true},
        ShowingCase{"inverting_shape", [](project::Frame& f, PointerRules&) { f.pointerInverts = 1; }, false,
                    false, false},
        ShowingCase{"system_hidden", [](project::Frame& f, PointerRules&) { f.pointerSystemHidden = 1; }, false,
                    false, false},
        ShowingCase{"system_hidden_shows_its_activity",
                    [](project::Frame& f, PointerRules& r) {
                        f.pointerSystemHidden = 1;
                        r.showHiddenActivity = true;
                    },
                    false, false, true},
        ShowingCase{"hidden_activity_without_halo",
                    [](project::Frame& f, PointerRules& r) {
                        f.pointerSystemHidden = 1;
                        r.showHiddenActivity = true;
                        r.halo = false;
                    },
                    false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tavlo::movie
