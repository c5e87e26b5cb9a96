#pragma once
// The three pictures that show the recorded mouse pointer in the movie, made once per run for
// every shape of the project's pointer table: the pointer itself, its soft shadow and its halo.
// Pixels are 32-bit ARGB bytes with premultiplied colour, as lossless bitmaps with alpha hold them.
#include "project/project.h"
#include "swf/shapes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tavlo::movie {

inline constexpr std::uint16_t kPointerDepth = 60001;
inline constexpr std::uint16_t kShadowDepth = 60000;
inline constexpr std::uint16_t kHaloDepth = 59999;

// One 32-bit picture: width x height pixels of four bytes A, R, G, B.
struct ArgbPicture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> bytes;
    std::uint8_t alpha(int x, int y) const { return bytes[(std::size_t(y) * width + x) * 4]; }
};

// The table's transparent value gives alpha 0, every other value (an inverting pixel too) its
// colour at alpha 255.
ArgbPicture pointerPicture(const std::vector<std::uint32_t>& pixels, int width, int height);
// Black with alpha 4 x the opaque pixels of the picture in the 5 x 5 square around each pixel.
ArgbPicture pointerShadow(const ArgbPicture& picture);
// The halo's margin around the picture: (width + height) / 3.
int haloRadius(int width, int height);
// A glow of `colour` (0x00RRGGBB) around the opaque pixels, alpha at most 60, `r` pixels beyond the
// picture on every side. Empty for a radius of 0.
ArgbPicture pointerHalo(const ArgbPicture& picture, int r, std::uint32_t colour);

struct PointerLayerOptions {
    int twipsPerPixel = 20;
    double scaleX = 1.0, scaleY = 1.0; // output pixels per project frame pixel
    bool shadow = true, halo = false;
    std::uint32_t haloColour = 0xFFFF00;
};

// The layers of one pointer shape; a layer that is not built is null.
struct PointerLayerSet {
    std::int32_t handle = 0, group = 0, hotX = 0, hotY = 0;
    bool inverts = false;
    std::unique_ptr<swf::SwfRectangle> picture, shadow, halo;
};

class PointerLayers {
public:
    // Builds the layers of every shape of `table`; `done(k, n)` after each shape.
    void build(swf::SwfContext& ctx, const project::PointerShapeTable& table, const PointerLayerOptions& o,
               const std::function<void(int, int)>& done = {});
    // The first entry with this handle and group, or null.
    PointerLayerSet* find(std::int32_t handle, std::int32_t group);
    int radius() const { return radius_; }
    bool empty() const { return sets_.empty(); }
    void clear() { sets_.clear(); }

private:
    std::vector<PointerLayerSet> sets_;
    int radius_ = 0;
};

} // namespace tavlo::movie
