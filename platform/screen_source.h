#pragma once
// What the capture pipeline needs of the screen: its monitors, the active window and grabs of an
// area. The X11 implementation is in x11/; tests drive the pipeline with a scripted scene.
#include "core/geometry.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tavlo::platform {

class ScreenSource {
public:
    virtual ~ScreenSource() = default;
    // The whole desktop (the root window).
    virtual Rect desktop() const = 0;
    // Monitor rectangles, the primary one first.
    virtual std::vector<Rect> monitors() const = 0;
    // The active window with its decorations, when the desktop says which one it is.
    virtual std::optional<Rect> activeWindow() const = 0;
    // Copies `area` (inside desktop()) into `out`: area.width() × area.height() pixels, rows top
    // down, bytes blue, green, red, 0. The fourth byte is always 0, so it never reads as a change.
    virtual bool grab(const Rect& area, std::uint32_t* out) = 0;
    // Whether grabs go through shared memory; without it a full HD grab is too slow to record.
    virtual bool sharedMemory() const = 0;
};

// Clamps `area` to `desktop`; an area wholly outside becomes empty.
Rect clampToDesktop(const Rect& area, const Rect& desktop);

} // namespace tavlo::platform
