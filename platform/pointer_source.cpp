#include "platform/pointer_source.h"

namespace tavlo::platform {

PointerShape pointerShapeFromArgb(std::uint32_t handle, int width, int height, int hotX, int hotY,
                                  const std::uint32_t* argb) {
    PointerShape s;
    s.handle = handle;
    s.width = width > 0 ? width : 0;
    s.height = height > 0 ? height : 0;
    s.hotX = hotX;
    s.hotY = hotY;
    s.pixels.resize(static_cast<std::size_t>(s.width) * s.height);
    for (std::size_t i = 0; i < s.pixels.size(); ++i) {
        const std::uint32_t p = argb[i];
        const std::uint32_t a = p >> 24;
        if (a < 128) {
            s.pixels[i] = kPointerTransparent;
            continue;
        }
        // Undo the premultiplication so edge pixels keep their colour rather than darkening.
        auto un = [a](std::uint32_t c) {
            std::uint32_t v = (c * 255 + a / 2) / a;
            return v > 255 ? 255u : v;
        };
        const std::uint32_t r = un((p >> 16) & 0xFF), g = un((p >> 8) & 0xFF), b = un(p & 0xFF);
        s.pixels[i] = (r << 16) | (g << 8) | b; // top byte 0: never one of the two markers
    }
    return s;
}

} // namespace tavlo::platform
