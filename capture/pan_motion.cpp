#include "capture/pan_motion.h"

namespace tavlo::capture {

namespace {
int towards(int v, int target) {
    return v < target ? v + 1 : v > target ? v - 1 : v;
}
} // namespace

int PanMotion::axisStep(Axis& a, int lo, int size, int p, int mlo, int mhi) {
    const bool wasMoving = a.moving;
    a.moving = false;
    const int margin = wasMoving ? size / 4 : size / 10;
    const int innerLo = lo + margin, innerHi = lo + size - margin;
    if (p < innerLo) {
        a.v = towards(a.v, -((innerLo - p) / 10) - 1);
        a.moving = true;
    } else if (p > innerHi) {
        a.v = towards(a.v, (p - innerHi) / 10 + 1);
        a.moving = true;
    }
    // Brake so that the area stops at the monitor's edge rather than hitting it at speed.
    const int speed = a.v < 0 ? -a.v : a.v;
    const long long stoppingDistance = static_cast<long long>(speed - 1) * speed / 2;
    if (a.v < 0 && stoppingDistance >= lo - mlo) {
        a.v = -((lo - mlo) / 10) - 1;
        a.moving = false;
    } else if (a.v > 0 && stoppingDistance >= mhi - (lo + size)) {
        a.v = (mhi - (lo + size)) / 10 + 1;
        a.moving = false;
    }
    int pos = lo + a.v;
    if (pos < mlo) {
        pos = mlo;
        a.v = 0;
    } else if (pos > mhi - size) {
        pos = mhi - size;
        a.v = 0;
    }
    if (!a.moving) a.v = towards(a.v, 0);
    return pos;
}

bool PanMotion::step(Rect& area, int px, int py, const Rect& monitor) {
    const int w = area.width(), h = area.height();
    const int x = axisStep(x_, area.left, w, px, monitor.left, monitor.right);
    const int y = axisStep(y_, area.top, h, py, monitor.top, monitor.bottom);
    const bool moved = x != area.left || y != area.top;
    area = Rect{x, y, x + w, y + h};
    return moved;
}

} // namespace tavlo::capture
