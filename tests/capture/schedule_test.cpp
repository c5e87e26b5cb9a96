#include "capture/pan_motion.h"
#include "capture/schedule.h"

#include <gtest/gtest.h>

namespace tavlo::capture {
namespace {

TEST(TimerSchedule, PeriodAndDivider) {
    struct Case {
        int rate, period, divider;
    } cases[] = {
        {5, 50, 3},   // 200 → 100 → 50: the screen every third tick, every 150 ms
        {30, 33, 1},  //
        {15, 33, 2},  // 66 → 33
        {1000, 1, 1}, //
        {0, 31, 6},   // 0 is taken as 1 a second, never divided by
        {-4, 31, 6},  //
        {5000, 1, 1}, // above 1000 is clamped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        TimerSchedule s = timerSchedule(c.rate);
        EXPECT_EQ(s.periodMs, c.period);
        EXPECT_EQ(s.divider, c.divider);
    }
}

TEST(Throttle, BacksOffWhileTheQueueGrowsAndRecovers) {
    Throttle t(100, 10); // limit 30000 bytes
    EXPECT_EQ(t.update(1000), 0);
    EXPECT_EQ(t.update(60000), 2); // 60000 / 30000
    EXPECT_EQ(t.update(90000), 5); // grew: + 3
    EXPECT_EQ(t.update(80000), 5); // shrinking: no more delay
    EXPECT_EQ(t.update(10000), 4); // below the limit: − max(5/20, 1)
    for (int i = 0; i < 10; ++i) t.update(0);
    EXPECT_EQ(t.delay(), 0);
}

TEST(PanMotion, AcceleratesOnePixelPerTickAndStopsAtTheMonitorEdge) {
    const Rect monitor{0, 0, 1000, 600};
    Rect area{100, 100, 400, 300}; // 300 × 200
    PanMotion pan;
    int lastV = 0, ticks = 0;
    std::vector<int> speeds;
    while (ticks < 400) {
        int before = area.left;
        pan.step(area, 990, 200, monitor); // far right of the inner rectangle, centred vertically
        speeds.push_back(area.left - before);
        ++ticks;
        if (area.right == monitor.right && pan.vx() == 0) break;
        lastV = pan.vx();
    }
    (void)lastV;
    EXPECT_EQ(speeds[0], 1);
    EXPECT_EQ(speeds[1], 2);
    EXPECT_EQ(speeds[2], 3);
    EXPECT_EQ(area.right, monitor.right); // reached the edge and stayed inside
    EXPECT_EQ(area.width(), 300);
    EXPECT_EQ(area.top, 100); // y never moved
    pan.step(area, 990, 200, monitor);
    EXPECT_EQ(area.right, monitor.right);
}

TEST(PanMotion, PointerInsideTheInnerRectangleLeavesTheAreaStill) {
    Rect area{100, 100, 400, 300};
    PanMotion pan;
    EXPECT_FALSE(pan.step(area, 250, 200, Rect{0, 0, 1000, 600}));
    EXPECT_EQ(area, (Rect{100, 100, 400, 300}));
}

TEST(PanMotion, NeverLeavesAMonitorThatDoesNotStartAtZero) {
    const Rect monitor{1920, 0, 3840, 1080};
    Rect area{1930, 10, 2230, 210};
    PanMotion pan;
    for (int i = 0; i < 300; ++i) pan.step(area, 1920, 0, monitor);
    EXPECT_EQ(area.left, 1920);
    EXPECT_EQ(area.top, 0);
}

} // namespace
} // namespace tavlo::capture
