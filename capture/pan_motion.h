#pragma once
// Pan mode: the capture area follows the pointer over the monitor, accelerating one pixel per
// tick and braking before the monitor's edge.
#include "core/geometry.h"

namespace tavlo::capture {

class PanMotion {
public:
    // Moves `area` (same size, new position) for one tick with the pointer at (px, py) and
    // returns whether it moved.
    bool step(Rect& area, int px, int py, const Rect& monitor);
    int vx() const { return x_.v; }
    int vy() const { return y_.v; }

private:
    struct Axis {
        int v = 0;
        bool moving = false;
    };
    // One axis: lo the area's near edge, size its length, p the pointer, mlo/mhi the monitor's.
    static int axisStep(Axis& a, int lo, int size, int p, int mlo, int mhi);
    Axis x_, y_;
};

} // namespace tavlo::capture
