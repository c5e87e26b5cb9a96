#include "platform/screen_source.h"

#include <algorithm>

namespace tavlo::platform {

Rect clampToDesktop(const Rect& a, const Rect& d) {
    Rect r{std::max(a.left, d.left), std::max(a.top, d.top), std::min(a.right, d.right),
           std::min(a.bottom, d.bottom)};
    if (r.empty()) return Rect{};
    return r;
}

} // namespace tavlo::platform
