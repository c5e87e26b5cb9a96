#pragma once
// The movie's pictures that are not frame content: program pictures (start button, bar pictures)
// as PNG-carrying image rectangles, picture files (hotspot images) and the tinted 8-bit icons of
// the control bar. Rectangles are in pixel units; the caller scales them to twips.
#include "core/ui_prompts.h"
#include "movie/picture.h"
#include "swf/shapes.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

namespace tavlo::movie {

struct PictureRequest {
    std::uint32_t tint = 0; // 0x00RRGGBB, black = none
    int x = 0, y = 0;
    int pixelWidth = 0, pixelHeight = 0; // the size placed; 0 = the picture's own
    int scale = 1;
    double opacity = 1.0;
    bool transpose = false;
    std::optional<std::pair<int, int>> sizeOverride; // replaces the size used for placement
};

// Nothing when the resource does not exist or cannot be encoded; the caller places nothing.
std::unique_ptr<swf::SwfRectangle> pictureFromResource(swf::SwfContext& ctx, int resourceId,
                                                       const PictureRequest& request);

struct EncodedPicture {
    std::string data; // PNG or JPEG
    bool png = false;
    int width = 0, height = 0;
};

// A picture file, shrunk to exactly largestWidth x largestHeight when its area is larger; PNG when
// it has alpha, else JPEG.
std::optional<EncodedPicture> pictureFromFile(const std::string& path, int largestWidth, int largestHeight);

// Icon layers: the base picture decides where the second colour and the third layer show; each
// layer's channels are weighted by one channel of `colour`.
struct IconLayers {
    Picture base, first, second, third; // all of the icon's size
};

// An 8-bit lossless rectangle with alpha. Kind -1 is the narrow separator (4 pixels wide,
// alpha 210). More than 255 colours shows "palcount exceeded !!!"; the icon is still made.
std::unique_ptr<swf::SwfRectangle> tintedIcon(swf::SwfContext& ctx, UiPrompts& prompts, const IconLayers& layers,
                                              std::uint32_t colour, std::uint32_t second, int kind, int x, int y,
                                              int scale, bool transpose);

} // namespace tavlo::movie
