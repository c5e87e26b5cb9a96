#include "movie/pointer_layers.h"

#include "platform/pointer_source.h"

#include <algorithm>
#include <cmath>

namespace tavlo::movie {

ArgbPicture pointerPicture(const std::vector<std::uint32_t>& pixels, int width, int height) {
    ArgbPicture p;
    p.width = std::max(0, width);
    p.height = std::max(0, height);
    const std::size_t n = std::size_t(p.width) * std::size_t(p.height);
    p.bytes.assign(n * 4, 0);
    for (std::size_t i = 0; i < n && i < pixels.size(); ++i) {
        const std::uint32_t v = pixels[i];
        if (v == platform::kPointerTransparent) continue;
        // The table holds 0x00RRGGBB; an inverting pixel (top byte set) shows as its low bytes, white.
        std::uint8_t* o = &p.bytes[i * 4];
        o[0] = 255;
        o[1] = std::uint8_t(v >> 16);
        o[2] = std::uint8_t(v >> 8);
        o[3] = std::uint8_t(v);
    }
    return p;
}

ArgbPicture pointerShadow(const ArgbPicture& picture) {
    const int w = picture.width, h = picture.height;
    ArgbPicture s;
    s.width = w;
    s.height = h;
    s.bytes.assign(std::size_t(w) * h * 4, 0);
    // Opaque counts through a summed-area table: each pixel's square is four look-ups.
    std::vector<int> sum(std::size_t(w + 1) * (h + 1), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            sum[std::size_t(y + 1) * (w + 1) + x + 1] = (picture.alpha(x, y) != 0) +
                                                        sum[std::size_t(y) * (w + 1) + x + 1] +
                                                        sum[std::size_t(y + 1) * (w + 1) + x] -
                                                        sum[std::size_t(y) * (w + 1) + x];
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int x0 = std::max(0, x - 2), x1 = std::min(w, x + 3);
            const int y0 = std::max(0, y - 2), y1 = std::min(h, y + 3);
            const int count = sum[std::size_t(y1) * (w + 1) + x1] - sum[std::size_t(y0) * (w + 1) + x1] -
                              sum[std::size_t(y1) * (w + 1) + x0] + sum[std::size_t(y0) * (w + 1) + x0];
            s.bytes[(std::size_t(y) * w + x) * 4] = std::uint8_t(4 * count); // black: colour stays 0
        }
    return s;
}

int haloRadius(int width, int height) {
    return std::max(0, (width + height) / 3);
}

ArgbPicture pointerHalo(const ArgbPicture& picture, int r, std::uint32_t colour) {
    ArgbPicture out;
    if (r <= 0 || picture.width <= 0 || picture.height <= 0) return out;
    const int w = picture.width, h = picture.height;
    const int hw = w + 2 * r, hh = h + 2 * r;
    const double r0 = std::sqrt(2.0 * r * r);
    const int side = 2 * r + 1;
    std::vector<float> kernel(std::size_t(side) * side);
    for (int j = -r; j <= r; ++j)
        for (int i = -r; i <= r; ++i)
            kernel[std::size_t(j + r) * side + (i + r)] = float((r0 - std::sqrt(double(i * i + j * j))) / r0);
    // Every weight is positive, so the capped sum is the full sum capped: each opaque pixel adds its
    // kernel around itself, which costs the opaque pixels rather than every halo pixel.
    std::vector<float> acc(std::size_t(hw) * hh, 0.0f);
    for (int py = 0; py < h; ++py)
        for (int px = 0; px < w; ++px) {
            if (picture.alpha(px, py) == 0) continue;
            // The opaque point (px, py) reaches halo pixels (px - j, py - i) + r in halo coordinates.
            for (int j = -r; j <= r; ++j) {
                float* row = &acc[std::size_t(py - j + r) * hw + std::size_t(px + r)];
                const float* k = &kernel[std::size_t(j + r) * side];
                for (int i = -r; i <= r; ++i) row[-i] += k[i + r];
            }
        }
    out.width = hw;
    out.height = hh;
    out.bytes.assign(std::size_t(hw) * hh * 4, 0);
    const int cr = int(colour >> 16 & 0xFF), cg = int(colour >> 8 & 0xFF), cb = int(colour & 0xFF);
    for (std::size_t i = 0; i < acc.size(); ++i) {
        const int o = int(std::min(acc[i], 60.0f));
        if (o <= 0) continue;
        std::uint8_t* p = &out.bytes[i * 4];
        p[0] = std::uint8_t(o);
        p[1] = std::uint8_t(cr * o / 255);
        p[2] = std::uint8_t(cg * o / 255);
        p[3] = std::uint8_t(cb * o / 255);
    }
    return out;
}

namespace {

std::unique_ptr<swf::SwfRectangle> layer(swf::SwfContext& ctx, const ArgbPicture& p, std::uint16_t depth,
                                         const PointerLayerOptions& o) {
    if (p.width <= 0 || p.height <= 0) return nullptr;
    auto r = std::make_unique<swf::SwfRectangle>(ctx, 0, 0, p.width - 1, p.height - 1, 5, p.width, p.height, 0,
                                                 true, p.bytes.data(), nullptr);
    r->scale(int(std::trunc(o.twipsPerPixel * 65536.0 * o.scaleX)),
             int(std::trunc(o.twipsPerPixel * 65536.0 * o.scaleY)));
    r->depth = depth;
    return r;
}

} // namespace

void PointerLayers::build(swf::SwfContext& ctx, const project::PointerShapeTable& table,
                          const PointerLayerOptions& o, const std::function<void(int, int)>& done) {
    sets_.clear();
    const int w = table.width, h = table.height;
    radius_ = haloRadius(w, h);
    if (w <= 0 || h <= 0) return;
    const int n = int(table.shapes.size());
    for (int k = 0; k < n; ++k) {
        const project::PointerShape& shape = table.shapes[std::size_t(k)];
        PointerLayerSet set;
        set.handle = shape.handle;
        set.group = shape.group;
        set.hotX = shape.hotX;
        set.hotY = shape.hotY;
        set.inverts = shape.inverts;
        const ArgbPicture picture = pointerPicture(shape.pixels, w, h);
        set.picture = layer(ctx, picture, kPointerDepth, o);
        if (o.shadow) set.shadow = layer(ctx, pointerShadow(picture), kShadowDepth, o);
        if (o.halo) set.halo = layer(ctx, pointerHalo(picture, radius_, o.haloColour), kHaloDepth, o);
        sets_.push_back(std::move(set));
        if (done) done(k + 1, n);
    }
}

PointerLayerSet* PointerLayers::find(std::int32_t handle, std::int32_t group) {
    for (PointerLayerSet& s : sets_)
        if (s.handle == handle && s.group == group) return &s;
    return nullptr;
}

} // namespace tavlo::movie
