#pragma once
// Clicks and key presses anywhere on the desktop, kept as flags only (never which key): the
// recorder polls them, and a poll resets the flag it reads.
namespace tavlo::platform {

class InputEvents {
public:
    virtual ~InputEvents() = default;
    virtual bool start() = 0; // false when the desktop does not report input
    virtual void stop() = 0;
    virtual bool takeClickDown() = 0; // buttons 1 to 3 only; the wheel is no click
    virtual bool takeClickUp() = 0;
    virtual bool takeKeyDown() = 0;
    virtual bool takeKeyUp() = 0;
};

} // namespace tavlo::platform
