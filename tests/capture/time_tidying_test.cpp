#include "capture/time_tidying.h"

#include <gtest/gtest.h>

namespace tavlo::capture {
namespace {

project::Project withTimes(const std::vector<int>& times) {
    project::Project p;
    for (int t : times) {
        auto& f = p.appendCapturedFrame(project::CaptureContext{100, 100});
        f.frame.recordedTime = t;
        f.frame.displayTime = t + 1000; // tells tidied frames from untouched ones
    }
    return p;
}

std::vector<int> recorded(const project::Project& p) {
    std::vector<int> v;
    for (const auto& f : p.frames()) v.push_back(f->frame.recordedTime);
    return v;
}
std::vector<int> displayed(const project::Project& p) {
    std::vector<int> v;
    for (const auto& f : p.frames()) v.push_back(f->frame.displayTime);
    return v;
}

TEST(TimeTidying, RoundsToFivesCarryingTheRest) {
    auto p = withTimes({7, 3, 12});
    tidyFrameTimes(p, false);
    EXPECT_EQ(recorded(p), (std::vector<int>{5, 5, 10}));
    EXPECT_EQ(displayed(p), (std::vector<int>{5, 5, 10}));
}

TEST(TimeTidying, StopsOnceMoreThanFifteenIsOwed) {
    auto p = withTimes({1, 1, 1, 1, 1, 1});
    tidyFrameTimes(p, false);
    EXPECT_EQ(recorded(p), (std::vector<int>{5, 5, 5, 5, 1, 1}));
    EXPECT_EQ(displayed(p), (std::vector<int>{5, 5, 5, 1001, 1001, 1001}));
}

TEST(TimeTidying, ZeroTimesBorrowFromTheFramesAfter) {
    auto p = withTimes({0, 0, 20, 0});
    tidyFrameTimes(p, false);
    EXPECT_EQ(recorded(p), (std::vector<int>{5, 5, 10, 5}));
    EXPECT_EQ(displayed(p), (std::vector<int>{5, 5, 10, 5}));
}

TEST(TimeTidying, SoundPositionsFollowTheTidiedTimes) {
    auto p = withTimes({7, 3, 12});
    tidyFrameTimes(p, true);
    std::vector<int> pos;
    for (const auto& f : p.frames()) pos.push_back(f->frame.syncSoundPosition);
    EXPECT_EQ(pos, (std::vector<int>{0, 5, 10}));
}

} // namespace
} // namespace tavlo::capture
