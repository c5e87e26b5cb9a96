#include "swf/shapes.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>

namespace tavlo::swf {

namespace {

// zlib at level 9 over one or two consecutive inputs (colour table, then pixels) without joining
// them first.
std::vector<uint8_t> deflate9(const uint8_t* data, size_t length, const uint8_t* more = nullptr,
                              size_t moreLength = 0) {
    z_stream z{};
    if (deflateInit(&z, 9) != Z_OK) return {};
    std::vector<uint8_t> out(deflateBound(&z, uLong(length + moreLength)));
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = uInt(length);
    bool ok = deflate(&z, more ? Z_NO_FLUSH : Z_FINISH) != Z_STREAM_ERROR;
    if (ok && more) {
        z.next_in = const_cast<Bytef*>(more);
        z.avail_in = uInt(moreLength);
        ok = deflate(&z, Z_FINISH) == Z_STREAM_END;
    }
    out.resize(z.total_out);
    deflateEnd(&z);
    return ok ? out : std::vector<uint8_t>();
}

int32_t trunc32(double v) {
    return int32_t(std::trunc(v));
}

} // namespace

std::shared_ptr<SwfBitmap> SwfBitmap::jpeg(SwfContext& ctx, int width, int height, const uint8_t* data,
                                           size_t length) {
    DefineBitsJpeg2 t;
    t.id = ctx.nextCharacterId();
    t.data = ctx.cachePayload(data, length);
    uint16_t id = t.id;
    return std::shared_ptr<SwfBitmap>(new SwfBitmap(id, width, height, std::move(t)));
}

std::shared_ptr<SwfBitmap> SwfBitmap::jpegAlpha(SwfContext& ctx, int width, int height, const uint8_t* jpeg,
                                                size_t jpegLength, const uint8_t* alpha, size_t alphaLength) {
    DefineBitsJpeg3 t;
    t.id = ctx.nextCharacterId();
    // A complete JPEG stream goes in as it is: wrapping it in a second pair of start and end markers
    // makes players reject the picture. Data without a start marker still gets the pair.
    if (jpegLength >= 2 && jpeg[0] == 0xFF && jpeg[1] == 0xD8) {
        t.jpeg = ctx.cachePayload(jpeg, jpegLength);
    } else {
        std::vector<uint8_t> data = {0xFF, 0xD8};
        data.insert(data.end(), jpeg, jpeg + jpegLength);
        data.insert(data.end(), {0xFF, 0xD9});
        t.jpeg = ctx.cachePayload(std::move(data));
    }
    t.alpha = ctx.cachePayload(deflate9(alpha, alphaLength));
    uint16_t id = t.id;
    return std::shared_ptr<SwfBitmap>(new SwfBitmap(id, width, height, std::move(t)));
}

std::shared_ptr<SwfBitmap> SwfBitmap::lossless(SwfContext& ctx, int format, int width, int height,
                                               int colourCount, bool hasAlpha, const uint8_t* pixels,
                                               const uint8_t* colours) {
    DefineBitsLossless t;
    t.id = ctx.nextCharacterId();
    t.alpha = hasAlpha;
    t.format = uint8_t(format);
    int rowWidth = width;
    size_t tableBytes = 0;
    if (format == 3) {
        // Index rows are padded to whole 32-bit words, and the padded width is the one written.
        rowWidth = (width + 3) & ~3;
        colourCount = std::clamp(colourCount, 1, 256);
        t.colorTableSize = uint8_t(colourCount - 1);
        tableBytes = size_t(colourCount) * (hasAlpha ? 4 : 3);
    }
    t.width = uint16_t(rowWidth);
    t.height = uint16_t(height);
    size_t pixelBytes = size_t(rowWidth) * size_t(height) * (size_t(1) << format) / 8;
    std::vector<uint8_t> packed =
        tableBytes ? deflate9(colours, tableBytes, pixels, pixelBytes) : deflate9(pixels, pixelBytes);
    t.data = ctx.cachePayload(std::move(packed));
    uint16_t id = t.id;
    return std::shared_ptr<SwfBitmap>(new SwfBitmap(id, width, height, std::move(t)));
}

void SwfBitmap::emit(FrameTags& tags) {
    if (emitted_) return;
    appendTag(tags, std::move(tag_));
    emitted_ = true;
}

void SwfShape::setFillColour(Rgba c) {
    fill_ = Fill::Solid;
    fillColour_ = c;
}

void SwfShape::setLinearGradient(Rgba c0, Rgba c1) {
    fill_ = Fill::Linear;
    gradient0_ = c0;
    gradient1_ = c1;
}

void SwfShape::setRadialGradient(Rgba c0, Rgba c1) {
    fill_ = Fill::Radial;
    gradient0_ = c0;
    gradient1_ = c1;
}

void SwfShape::setJpegFill(int width, int height, const uint8_t* data, size_t length) {
    setBitmapFill(SwfBitmap::jpeg(ctx_, width, height, data, length), width, height);
}

void SwfShape::setJpegAlphaFill(int width, int height, const uint8_t* jpeg, size_t jpegLength,
                                const uint8_t* alpha, size_t alphaLength) {
    setBitmapFill(SwfBitmap::jpegAlpha(ctx_, width, height, jpeg, jpegLength, alpha, alphaLength), width,
                  height);
}

void SwfShape::setLosslessFill(int format, int width, int height, int colourCount, bool hasAlpha,
                               const uint8_t* pixels, const uint8_t* colours) {
    setBitmapFill(SwfBitmap::lossless(ctx_, format, width, height, colourCount, hasAlpha, pixels, colours),
                  width, height);
}

void SwfShape::setBitmapFill(std::shared_ptr<SwfBitmap> bitmap, int width, int height) {
    fill_ = Fill::Bitmap;
    bitmap_ = std::move(bitmap);
    bitmapWidth_ = width;
    bitmapHeight_ = height;
}

Matrix transformMatrix(int x0, int y0, int x1, int y1, int tx, int ty, int sxRaw, int syRaw, int rotation) {
    const double pi = 3.14159265358979323846;
    double a = rotation / 65536.0 * pi / 180.0;
    double sx = sxRaw / 65536.0, sy = syRaw / 65536.0;
    double ca = std::cos(a), sa = std::sin(a);
    double cx = std::trunc((double(x0) + x1) * 0.5), cy = std::trunc((double(y0) + y1) * 0.5);
    Matrix m;
    m.scale = std::array<Fixed16, 2>{Fixed16{trunc32(ca * sx * 65536)}, Fixed16{trunc32(ca * sy * 65536)}};
    m.rotate = std::array<Fixed16, 2>{Fixed16{trunc32(sx * sa * 65536)}, Fixed16{trunc32(-sa * sy * 65536)}};
    m.translateX = Twips(tx - trunc32(sx * (ca * cx - sa * cy - cx)));
    m.translateY = Twips(ty - trunc32(sy * (sa * cx + ca * cy - cy)));
    return m;
}

bool SwfShape::hasMatrix() const {
    return tx_ != 0 || ty_ != 0 || rotation_ != 0 || sx_ != 0x10000 || sy_ != 0x10000;
}

Matrix SwfShape::matrix() const {
    return transformMatrix(x0_, y0_, x1_, y1_, tx_, ty_, sx_, sy_, rotation_);
}

void SwfShape::define(FrameTags& tags, SwfMovie&) {
    Shape shape;
    int cx = (x0_ + x1_) / 2, cy = (y0_ + y1_) / 2;
    switch (fill_) {
    case Fill::None:
        break;
    case Fill::Solid: {
        FillStyle f;
        f.type = FillType::Solid;
        f.color = fillColour_;
        shape.fills.push_back(f);
        break;
    }
    case Fill::Linear:
    case Fill::Radial: {
        FillStyle f;
        f.gradient = {{0, gradient0_}, {255, gradient1_}};
        int32_t sx, sy;
        if (fill_ == Fill::Linear) {
            f.type = FillType::LinearGradient;
            sx = x1_ - x0_ + 1;
            sy = y1_ - y0_ + 1;
        } else {
            f.type = FillType::RadialGradient;
            double w = double(x1_) - x0_ + 1, h = double(y1_) - y0_ + 1;
            sx = sy = trunc32(2 * std::sqrt(w * w + h * h));
        }
        f.matrix.scale = std::array<Fixed16, 2>{Fixed16{sx}, Fixed16{sy}};
        f.matrix.translateX = Twips(cx);
        f.matrix.translateY = Twips(cy);
        shape.fills.push_back(f);
        break;
    }
    case Fill::Bitmap: {
        if (!bitmap_) break;
        bitmap_->emit(tags);
        FillStyle f;
        f.type = FillType::ClippedBitmap;
        f.bitmapId = bitmap_->id();
        int64_t bw = std::max(1, bitmapWidth_), bh = std::max(1, bitmapHeight_);
        f.matrix.scale = std::array<Fixed16, 2>{Fixed16{int32_t((int64_t(x1_ - x0_ + 1) << 16) / bw)},
                                                Fixed16{int32_t((int64_t(y1_ - y0_ + 1) << 16) / bh)}};
        f.matrix.translateX = Twips(x0_);
        f.matrix.translateY = Twips(y0_);
        shape.fills.push_back(f);
        break;
    }
    }
    if (lineWidth_ > 0) shape.lines.push_back({uint16_t(lineWidth_), lineColour_});

    int32_t startX = 0, startY = 0;
    std::vector<ShapeRecord> edges;
    outline(edges, startX, startY);
    StyleChange start;
    start.moveTo = std::array<Twips, 2>{Twips(startX), Twips(startY)};
    start.fillStyle1 = shape.fills.empty() ? 0u : 1u;
    start.lineStyle = shape.lines.empty() ? 0u : 1u;
    shape.records.push_back(start);
    shape.records.insert(shape.records.end(), edges.begin(), edges.end());

    characterId = ctx_.nextCharacterId();
    DefineShape3 d;
    d.id = uint16_t(characterId);
    d.bounds = Rect{Twips(x0_), Twips(x1_), Twips(y0_), Twips(y1_)};
    d.shape = std::move(shape);
    appendTag(tags, std::move(d));
}

namespace {

ShapeRecord line(int dx, int dy) {
    return StraightEdge{Twips(dx), Twips(dy)};
}
ShapeRecord curve(int cdx, int cdy, int adx, int ady) {
    return CurvedEdge{Twips(cdx), Twips(cdy), Twips(adx), Twips(ady)};
}

} // namespace

SwfRectangle::SwfRectangle(SwfContext& ctx, int x0, int y0, int x1, int y1, int jpegWidth, int jpegHeight,
                           const uint8_t* jpegData, size_t jpegLength)
    : SwfShape(ctx, x0, y0, x1, y1) {
    setLineWidth(0);
    setJpegFill(jpegWidth, jpegHeight, jpegData, jpegLength);
}

SwfRectangle::SwfRectangle(SwfContext& ctx, int x0, int y0, int x1, int y1, int format, int width, int height,
                           int colourCount, bool hasAlpha, const uint8_t* pixels, const uint8_t* colours)
    : SwfShape(ctx, x0, y0, x1, y1) {
    setLineWidth(0);
    setLosslessFill(format, width, height, colourCount, hasAlpha, pixels, colours);
}

SwfRectangle::SwfRectangle(SwfContext& ctx, int x0, int y0, int x1, int y1,
                           std::shared_ptr<SwfBitmap> existing, int width, int height)
    : SwfShape(ctx, x0, y0, x1, y1) {
    setLineWidth(0);
    setBitmapFill(std::move(existing), width, height);
}

void SwfRectangle::outline(std::vector<ShapeRecord>& r, int32_t& sx, int32_t& sy) const {
    sx = x0();
    sy = y0();
    r.push_back(line(x1() - x0() + 1, 0));
    r.push_back(line(0, y1() - y0() + 1));
    r.push_back(line(x0() - x1() - 1, 0));
    r.push_back(line(0, y0() - y1() - 1));
}

void SwfRoundRectangle::outline(std::vector<ShapeRecord>& out, int32_t& sx, int32_t& sy) const {
    int r = radius_;
    r = std::min(r, (x1() - x0() + 1) / 2);
    r = std::min(r, (y1() - y0() + 1) / 2);
    int w = x1() - x0() - 2 * r < 0 ? 1 : x1() - x0() - 2 * r + 1;
    int h = y1() - y0() - 2 * r <= 0 ? 1 : y1() - y0() - 2 * r + 1;
    sx = x0() + r;
    sy = y0();
    out.push_back(line(w, 0));
    out.push_back(curve(r, 0, 0, r));
    out.push_back(line(0, h));
    out.push_back(curve(0, r, -r, 0));
    out.push_back(line(-w, 0));
    out.push_back(curve(-r, 0, 0, -r));
    out.push_back(line(0, -h));
    out.push_back(curve(0, -r, r, 0));
}

void SwfEllipse::outline(std::vector<ShapeRecord>& out, int32_t& sx, int32_t& sy) const {
    int hw = (x1() - x0()) / 2, hh = (y1() - y0()) / 2;
    sx = x0() + hw;
    sy = y0();
    out.push_back(curve(-hw, 0, 0, hh));
    out.push_back(curve(0, hh, hw, 0));
    out.push_back(curve(hw, 0, 0, -hh));
    out.push_back(curve(0, -hh, -hw, 0));
}

SwfPath::SwfPath(SwfContext& ctx, const int* xs, const int* ys, int n)
    : SwfPath(ctx, n > 0 ? xs[0] : 0, n > 0 ? ys[0] : 0) {
    for (int i = 0; i + 1 < n; ++i) lineTo(xs[i + 1] - xs[i], ys[i + 1] - ys[i]);
    if (n > 1 && (xs[0] != xs[n - 1] || ys[0] != ys[n - 1])) lineTo(xs[0] - xs[n - 1], ys[0] - ys[n - 1]);
}

void SwfPath::grow(int x, int y) {
    if (segments_.size() == segments_.capacity()) segments_.reserve(segments_.size() + 8);
    endX_ = x;
    endY_ = y;
    setBounds(std::min(x0(), x), std::min(y0(), y), std::max(x1(), x), std::max(y1(), y));
}

void SwfPath::lineTo(int dx, int dy) {
    grow(endX_ + dx, endY_ + dy);
    segments_.push_back(line(dx, dy));
}

void SwfPath::curveTo(int controlDx, int controlDy, int anchorDx, int anchorDy) {
    grow(endX_ + controlDx + anchorDx, endY_ + controlDy + anchorDy);
    segments_.push_back(curve(controlDx, controlDy, anchorDx, anchorDy));
}

void SwfPath::outline(std::vector<ShapeRecord>& r, int32_t& sx, int32_t& sy) const {
    sx = startX_;
    sy = startY_;
    r.insert(r.end(), segments_.begin(), segments_.end());
}

} // namespace tavlo::swf
