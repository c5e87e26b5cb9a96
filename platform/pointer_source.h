#pragma once
// The mouse pointer as the recorder samples it: position, shape handle and visibility, and the
// picture of each shape in the pointer shape table's form.
#include <cstdint>
#include <vector>

namespace tavlo::platform {

// Pixel values of a pointer picture in the shape table.
inline constexpr std::uint32_t kPointerTransparent = 0xFFFFFFFFu;
inline constexpr std::uint32_t kPointerInverts = 0xFEFFFFFFu;

struct PointerState {
    int x = 0, y = 0;         // screen position of the hot spot
    std::uint32_t handle = 0; // changes whenever the shape changes; 0 = none
    bool hidden = false;      // the desktop reports no visible pointer
};

struct PointerShape {
    std::uint32_t handle = 0;
    int hotX = 0, hotY = 0;
    int width = 0, height = 0;
    // width × height values: kPointerTransparent, kPointerInverts or an opaque 0x00RRGGBB colour.
    std::vector<std::uint32_t> pixels;
    bool inverts = false;
};

class PointerSource {
public:
    virtual ~PointerSource() = default;
    // Safe to call from the pointer thread.
    virtual bool read(PointerState& state) = 0;
    // The picture of the shape current when `handle` was read; false when it is no longer known.
    virtual bool shape(std::uint32_t handle, PointerShape& out) = 0;
};

// Converts a premultiplied ARGB picture (as the X server hands it out) into the table's form:
// mostly transparent pixels become transparent, the rest opaque colours.
PointerShape pointerShapeFromArgb(std::uint32_t handle, int width, int height, int hotX, int hotY,
                                  const std::uint32_t* argb);

} // namespace tavlo::platform
