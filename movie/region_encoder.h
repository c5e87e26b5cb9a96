#pragma once
// Turns one changed rectangle of the frame picture into a shape for the movie: a plain rectangle
// when it holds one colour, the bitmap of an identical earlier rectangle when there is one, else a
// new bitmap — 8-bit with the rectangle's own palette up to 255 colours, beyond that JPEG or
// 32-bit lossless, whichever the size estimate favours.
#include "movie/region.h"
#include "swf/shapes.h"

#include <cstdint>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace tavlo::movie {

struct EncodedRegion {
    enum class Kind { Plain, Reused, Palette8, Lossless32, Jpeg };
    std::unique_ptr<swf::SwfRectangle> shape;
    Kind kind = Kind::Plain;
    bool opaque = true; // covers everything beneath it
    int colours = 0;    // distinct colours of the rectangle, at most 256 counted
};

class RegionEncoder {
public:
    RegionEncoder(swf::SwfContext& ctx, int twipsPerPixel, int jpegQuality);

    // Encodes the pixels of `r` in `current` (rows of `stride` pixels, 0x00RRGGBB) and copies them
    // into `previous`, which then holds what the viewer sees. `allowPlain` off keeps a bitmap even
    // for one colour (pictures that are scaled or faded as a whole).
    EncodedRegion encode(const std::uint32_t* current, std::uint32_t* previous, int stride, const Region& r,
                         bool allowPlain = true);

    // Running total of the estimated bytes of true-colour images made.
    std::uint64_t imageBytes() const { return imageBytes_; }
    std::size_t reusableBitmaps() const { return reuse_.size(); }
    void clear();

private:
    // Identical bitmaps are found by a weighted sum of the pixels; the size and a second,
    // independent hash of the pixels must match as well, so that a rectangle of another shape or
    // other pixels with the same sum never takes a wrong picture.
    using ReuseKey = std::tuple<std::uint64_t, std::uint64_t, int, int>;

    int addColour(std::uint32_t v);

    swf::SwfContext& ctx_;
    int twips_;
    int quality_;
    std::uint64_t imageBytes_ = 0;
    std::map<ReuseKey, std::shared_ptr<swf::SwfBitmap>> reuse_;

    // The region palette: open addressing, entries valid for the current generation only.
    static constexpr int kSlots = 1024;
    std::vector<std::uint32_t> slotColour_ = std::vector<std::uint32_t>(kSlots);
    std::vector<std::uint32_t> slotGeneration_ = std::vector<std::uint32_t>(kSlots, 0);
    std::vector<std::uint16_t> slotIndex_ = std::vector<std::uint16_t>(kSlots);
    std::uint32_t generation_ = 0;
    std::vector<std::uint32_t> palette_;

    std::vector<std::uint32_t> colours_;
    std::vector<std::uint8_t> indices_;
    std::vector<std::uint8_t> plane_;
};

} // namespace tavlo::movie
