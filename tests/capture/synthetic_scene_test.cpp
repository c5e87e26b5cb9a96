#include "tests/support/synthetic_scene.h"

#include "capture/change_detection.h"

#include <gtest/gtest.h>

namespace tavlo::test {
namespace {

TEST(SyntheticScene, ScriptDrivesPictureInputAndTruth) {
    SyntheticScene s(64, 48);
    s.fillAt(100, {0, 0, 10, 10}, 0x00FF0000);
    s.noiseAt(200, {20, 20, 40, 40});
    s.scrollAt(300, {0, 0, 64, 10}, 5);
    s.pointerPath(0, 0, 0, 1000, 100, 50);
    s.clickAt(150);
    std::vector<std::uint32_t> a(64 * 48), b(64 * 48);

    s.advance(50);
    ASSERT_TRUE(s.grab(s.desktop(), a.data()));
    s.advance(100);
    ASSERT_TRUE(s.grab(s.desktop(), b.data()));
    auto rects = capture::findChangedRectangles(a.data(), b.data(), 64, 48);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0], (capture::ChangedRect{0, 0, 9, 9}));
    EXPECT_TRUE(s.takeClickDown());
    EXPECT_FALSE(s.takeClickDown());

    s.advance(200); // noise and scroll
    ASSERT_TRUE(s.grab(s.desktop(), a.data()));
    EXPECT_EQ(a[0], 0x00FF0000u);                   // row 5 of the red block moved up to row 0
    EXPECT_EQ(a[std::size_t(5) * 64], 0x00FFFFFFu); // the band's bottom rows are new, blank
    ASSERT_EQ(s.grabs().size(), 3u);
    EXPECT_EQ(s.grabs()[2].time, 350);
    EXPECT_EQ(s.grabs()[2].pointer.x, 35);
    EXPECT_FALSE(s.grab({60, 40, 70, 50}, a.data()));
}

} // namespace
} // namespace tavlo::test
