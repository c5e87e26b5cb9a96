#include "capture/pointer_sampler.h"

#include "tests/capture/fake_sources.h"

#include <gtest/gtest.h>

namespace tavlo::capture {
namespace {

struct Rig {
    test::FakePointer pointer;
    test::FakeInput input;
    test::FakeClock clock;
    PointerSampler sampler{pointer, &input, clock, 10, false}; // every 100 ms
    std::vector<PointerSample> take() {
        std::vector<PointerSample> out;
        EXPECT_TRUE(sampler.take(out));
        return out;
    }
};

TEST(PointerSampler, GapsAreFilledOnTheLineUnlessTooLong) {
    for (auto [gap, expectFilled] : {std::pair{350, 2}, std::pair{600, 0}, std::pair{150, 0}}) {
        SCOPED_TRACE(gap);
        Rig r;
        r.clock.now = 1000;
        r.sampler.sampleOnce(); // first sample at (10, 10)
        r.take();
        r.clock.now += gap;
        r.pointer.state.x = 10 + gap;
        r.sampler.sampleOnce();
        auto s = r.take();
        ASSERT_EQ(s.size(), std::size_t(expectFilled + 1));
        for (int i = 0; i < expectFilled; ++i) {
            EXPECT_EQ(s[i].time, 1000 + 100 * (i + 1));
            EXPECT_EQ(s[i].x, 10 + gap * (i + 1) / 3);
            EXPECT_FALSE(s[i].down || s[i].up);
        }
        EXPECT_EQ(s.back().time, 1000 + gap);
        EXPECT_EQ(s.back().x, 10 + gap);
    }
}

TEST(PointerSampler, PressAndReleaseInOneIntervalGiveTwoSamplesAtOneTime) {
    Rig r;
    r.sampler.sampleOnce();
    r.take();
    r.clock.now = 100;
    r.input.down = r.input.up = true;
    r.sampler.sampleOnce();
    auto s = r.take();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_TRUE(s[0].down && !s[0].up);
    EXPECT_TRUE(!s[1].down && s[1].up);
    EXPECT_EQ(s[0].time, s[1].time);
}

TEST(PointerSampler, StillPointerAddsNothingAndTheBufferIsBounded) {
    Rig r;
    r.sampler.sampleOnce();
    r.clock.now = 100;
    r.sampler.sampleOnce();
    EXPECT_EQ(r.take().size(), 1u);

    for (int i = 0; i < 300; ++i) {
        r.clock.now += 100;
        r.pointer.state.x += 1;
        r.sampler.sampleOnce();
    }
    auto s = r.take();
    EXPECT_EQ(s.size(), kMaxPointerSamples - 1); // sampling waits while the buffer holds 95
}

TEST(PointerSampler, PausedOrUnreadablePointerForgetsTheGap) {
    Rig r;
    r.sampler.sampleOnce();
    r.take();
    r.sampler.setPaused(true);
    r.clock.now = 200;
    r.input.down = true;
    r.sampler.sampleOnce();
    EXPECT_TRUE(r.take().empty());
    r.sampler.setPaused(false);
    r.clock.now = 400;
    r.pointer.state.x = 50;
    r.sampler.sampleOnce();
    auto s = r.take();
    ASSERT_EQ(s.size(), 1u); // no line filled across the pause, and the paused click is gone
    EXPECT_FALSE(s[0].down);
}

TEST(PointerSampler, RateIsClampedNeverDividedByZero) {
    test::FakePointer p;
    test::FakeClock c;
    EXPECT_EQ(PointerSampler(p, nullptr, c, 0, false).intervalMs(), 1000);
    EXPECT_EQ(PointerSampler(p, nullptr, c, 100000, false).intervalMs(), 1);
}

TEST(PointerSampler, ThreadSamplesUntilStopped) {
    test::FakePointer p;
    SteadyClock c;
    PointerSampler s(p, nullptr, c, 200, true); // continuous: forced samples every 4th step
    ASSERT_TRUE(s.startThread());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    s.stopThread();
    std::vector<PointerSample> out;
    ASSERT_TRUE(s.take(out));
    EXPECT_GE(out.size(), 2u);
}

TEST(Smoothing, EvenSpacingAlongThePathWithTimesKept) {
    std::vector<PointerSample> s = {{0, 0, 0}, {10, 10, 0}, {20, 12, 0}, {30, 30, 0}};
    smoothSamples(s);
    EXPECT_EQ(s[0].x, 0);
    EXPECT_EQ(s[1].x, 10);
    EXPECT_EQ(s[2].x, 20);
    EXPECT_EQ(s[3].x, 30);
    EXPECT_EQ(s[2].time, 20);
    std::vector<PointerSample> two = {{0, 0, 0}, {10, 9, 0}};
    smoothSamples(two);
    EXPECT_EQ(two[1].x, 9);
}

} // namespace
} // namespace tavlo::capture
