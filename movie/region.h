#pragma once
// A changed area of the frame picture, in output pixels, all four edges inclusive.
namespace tavlo::movie {

struct Region {
    int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
    int width() const { return x1 - x0 + 1; }
    int height() const { return y1 - y0 + 1; }
    bool contains(const Region& o) const { return o.x0 >= x0 && o.y0 >= y0 && o.x1 <= x1 && o.y1 <= y1; }
    bool operator==(const Region&) const = default;
};

} // namespace tavlo::movie
