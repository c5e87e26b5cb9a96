#include "movie/frame_source.h"

#include <zlib.h>

#include <cstring>

namespace tavlo::movie {

namespace {

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

} // namespace

bool applyImageEdit(const std::string& edit, project::PixelBuffer& picture,
                    std::vector<std::uint8_t>& scratch) {
    const std::size_t pixels = std::size_t(picture.width) * std::size_t(picture.height);
    // The block can only be an edit of this picture if it inflates to exactly this many bytes.
    const std::size_t expected = 12 + pixels * 4;
    scratch.resize(expected + 1);
    uLongf got = uLongf(scratch.size());
    const int rc =
        uncompress(scratch.data(), &got, reinterpret_cast<const Bytef*>(edit.data()), uLong(edit.size()));
    if (rc != Z_OK || got != expected) return false;
    const std::uint8_t* h = scratch.data();
    if (le32(h) != pixels * 4 || int(le32(h + 4)) != picture.width || int(le32(h + 8)) != picture.height)
        return false;
    const std::uint8_t* src = h + 12;
    for (std::size_t i = 0; i < pixels; ++i, src += 4) {
        const std::uint32_t v = le32(src);
        const std::uint32_t a = v >> 24;
        if (a == 0) continue;
        std::uint32_t& d = picture.pixels[i];
        if (a == 255) {
            d = v & 0xFFFFFF;
            continue;
        }
        std::uint32_t out = 0;
        for (int s = 0; s < 24; s += 8) {
            const std::uint32_t c = ((v >> s & 255) * a + (d >> s & 255) * (255 - a) + 127) / 255;
            out |= c << s;
        }
        d = out;
    }
    return true;
}

bool EditedFrameSource::picture(int index, project::PixelBuffer& out) {
    if (!pictures_.picture(index, out)) return false;
    if (index < 0 || index >= project_.frameCount()) return true;
    const project::FrameNode& node = *project_.frames()[std::size_t(index)];
    if (node.data.editedImage && !node.frame.editedImageOff)
        applyImageEdit(*node.data.editedImage, out, edit_);
    return true;
}

} // namespace tavlo::movie
