#pragma once
// A picture with alpha for the movie's own pictures (buttons, panels, hotspot images): rows of
// 0xAARRGGBB, straight alpha. Conversions to and from files go through Qt's image codecs.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavlo::movie {

struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;
    // Drawn without alpha: pure black and magenta are the transparent colours.
    bool bitmapMode = false;

    Picture() = default;
    Picture(int w, int h, std::uint32_t fill = 0)
        : width(w), height(h), argb(std::size_t(w) * std::size_t(h), fill) {}
    std::uint32_t& at(int x, int y) { return argb[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    std::uint32_t at(int x, int y) const { return argb[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// The alpha of every pixel (bitmap-mode colours made transparent, then scaled by `opacity`), the
// tint towards 0x00RRGGBB `tint` (none when black) that keeps brightness and leaves black and
// white neutral, and, when asked, rows turned into columns.
void preparePicture(Picture& picture, std::uint32_t tint, double opacity, bool transpose);

// PNG data of the picture (with alpha); empty when encoding fails.
std::string encodePng(const Picture& picture);

// A picture file in any format the image codecs read (PNG, JPEG, GIF, BMP, ...).
std::optional<Picture> loadPicture(const std::string& path);

// JPEG data of the picture's colours (`quality` 0..100); empty when encoding fails.
std::string encodeJpeg(const Picture& picture, int quality);

} // namespace tavlo::movie
