#include "movie/button_pictures.h"

#include "movie/resource_pictures.h"

#include <algorithm>
#include <map>

namespace tavlo::movie {

namespace {

// Bar pictures that are always 4 pixels wide, whatever the caller asks.
bool narrowResource(int id) { return id == 280 || id == 568; }

} // namespace

std::unique_ptr<swf::SwfRectangle> pictureFromResource(swf::SwfContext& ctx, int resourceId,
                                                       const PictureRequest& r) {
    std::optional<Picture> picture = resourcePicture(resourceId);
    if (!picture) return nullptr;
    preparePicture(*picture, r.tint, r.opacity, r.transpose);
    const std::string png = encodePng(*picture);
    if (png.empty()) return nullptr;
    int w = r.pixelWidth > 0 ? r.pixelWidth : picture->width;
    int h = r.pixelHeight > 0 ? r.pixelHeight : picture->height;
    if (narrowResource(resourceId)) w = 4;
    if (r.sizeOverride) std::tie(w, h) = *r.sizeOverride;
    const int scale = std::max(1, r.scale);
    return std::make_unique<swf::SwfRectangle>(ctx, r.x, r.y, r.x + scale * w - 1, r.y + scale * h - 1,
                                               picture->width, picture->height,
                                               reinterpret_cast<const std::uint8_t*>(png.data()), png.size());
}

std::optional<EncodedPicture> pictureFromFile(const std::string& path, int largestWidth, int largestHeight) {
    std::optional<Picture> p = loadPicture(path);
    if (!p || p->width <= 0 || p->height <= 0) return std::nullopt;
    bool alpha = false;
    for (std::uint32_t v : p->argb) alpha = alpha || (v >> 24) != 255;
    if (largestWidth > 0 && largestHeight > 0 &&
        (long long)p->width * p->height > (long long)largestWidth * largestHeight) {
        // Nearest pixel: hotspot pictures are small and this keeps their hard edges.
        Picture s(largestWidth, largestHeight);
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x)
                s.at(x, y) = p->at(int((long long)x * p->width / s.width), int((long long)y * p->height / s.height));
        p = std::move(s);
    }
    EncodedPicture e;
    e.width = p->width;
    e.height = p->height;
    e.png = alpha;
    e.data = alpha ? encodePng(*p) : encodeJpeg(*p, 75);
    if (e.data.empty()) return std::nullopt;
    return e;
}

std::unique_ptr<swf::SwfRectangle> tintedIcon(swf::SwfContext& ctx, UiPrompts& prompts, const IconLayers& l,
                                              std::uint32_t colour, std::uint32_t second, int kind, int x, int y,
                                              int scale, bool transpose) {
    int w = l.base.width, h = l.base.height;
    if (w <= 0 || h <= 0) return nullptr;
    for (const Picture* p : {&l.first, &l.second, &l.third})
        if (p->width != w || p->height != h) return nullptr;
    const std::uint32_t cr = colour >> 16 & 255, cg = colour >> 8 & 255, cb = colour & 255;
    const std::uint32_t alpha = kind == -1 ? 210 : 255;
    const int outW = kind == -1 ? std::min(4, w) : w;
    std::vector<std::uint32_t> palette; // 0xAARRGGBB
    std::map<std::uint32_t, std::uint8_t> index;
    bool warned = false;
    const int rowBytes = (transpose ? h + 3 : outW + 3) & ~3;
    const int pw = transpose ? h : outW, ph = transpose ? outW : h;
    std::vector<std::uint8_t> indices(std::size_t(rowBytes) * std::size_t(ph), 0);
    for (int py = 0; py < h; ++py)
        for (int px = 0; px < outW; ++px) {
            std::uint32_t out[3];
            for (int c = 0; c < 3; ++c) {
                const int s = 16 - 8 * c;
                const std::uint32_t a = (l.first.at(px, py) >> s & 255) * (cr * 95 / 100) / 255;
                const std::uint32_t b = (l.second.at(px, py) >> s & 255) * cg / 255;
                const std::uint32_t d = (l.third.at(px, py) >> s & 255) * (cb * 95 / 100) / 255;
                out[c] = std::max({a, b, d});
            }
            std::uint32_t rgb = out[0] << 16 | out[1] << 8 | out[2];
            const std::uint32_t base = l.base.at(px, py) & 0xFFFFFF;
            const bool b240 = (base >> 16 & 255) >= 240 && (base >> 8 & 255) >= 240 && (base & 255) >= 240;
            if (base == 0xFF00FF || base == 0) rgb = second & 0xFFFFFF;
            else if (b240) rgb = l.third.at(px, py) & 0xFFFFFF;
            rgb &= 0xF8F8F8;
            const std::uint32_t argb = rgb == 0 ? 0 : alpha << 24 | rgb;
            auto found = index.find(argb);
            std::uint8_t i;
            if (found != index.end()) {
                i = found->second;
            } else if (palette.size() < 256) {
                i = std::uint8_t(palette.size());
                index[argb] = i;
                palette.push_back(argb);
                if (palette.size() == 256 && !warned) {
                    prompts.message("palcount exceeded !!!", "Tavlo", Icon::Warning);
                    warned = true;
                }
            } else {
                i = 255; // the palette is full; the icon is still made
            }
            const int ox = transpose ? py : px, oy = transpose ? px : py;
            indices[std::size_t(oy) * std::size_t(rowBytes) + std::size_t(ox)] = i;
        }
    // RGBA colour table entries, premultiplied as lossless alpha colours are.
    std::vector<std::uint8_t> table;
    for (std::uint32_t v : palette) {
        const std::uint32_t a = v >> 24;
        for (int s : {16, 8, 0}) table.push_back(std::uint8_t((v >> s & 255) * a / 255));
        table.push_back(std::uint8_t(a));
    }
    const int s = std::max(1, scale);
    return std::make_unique<swf::SwfRectangle>(ctx, x, y, x + s * (pw - 1), y + s * (ph - 1), 3, pw, ph,
                                               int(palette.size()), true, indices.data(), table.data());
}

} // namespace tavlo::movie
