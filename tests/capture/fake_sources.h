#pragma once
// Scripted stand-ins for the desktop, so capture logic runs deterministically in tests.
#include "capture/clock.h"
#include "platform/input_events.h"
#include "platform/pointer_source.h"

#include <map>
#include <utility>

namespace tavlo::capture::test {

class FakeClock : public Clock {
public:
    std::int64_t now = 0;
    std::int64_t nowMs() override { return now; }
};

class FakePointer : public platform::PointerSource {
public:
    platform::PointerState state{10, 10, 1, false};
    bool fail = false;
    std::map<std::uint32_t, platform::PointerShape> shapes;
    bool read(platform::PointerState& s) override {
        if (fail) return false;
        s = state;
        return true;
    }
    bool shape(std::uint32_t handle, platform::PointerShape& out) override {
        auto it = shapes.find(handle);
        if (it == shapes.end()) return false;
        out = it->second;
        return true;
    }
};

class FakeInput : public platform::InputEvents {
public:
    bool down = false, up = false, key = false, keyUp = false;
    bool start() override { return true; }
    void stop() override {}
    bool takeClickDown() override { return std::exchange(down, false); }
    bool takeClickUp() override { return std::exchange(up, false); }
    bool takeKeyDown() override { return std::exchange(key, false); }
    bool takeKeyUp() override { return std::exchange(keyUp, false); }
};

} // namespace tavlo::capture::test
