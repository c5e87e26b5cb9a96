#pragma once

namespace tavlo {

// A rectangle in pixels, right and bottom exclusive (the Windows RECT convention used on disk).
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    bool operator==(const Rect&) const = default;
};

} // namespace tavlo
