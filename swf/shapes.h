#pragma once
// Drawn shapes (DefineShape3) and the bitmaps that fill them.
#include "swf/swf_object.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tavlo::swf {

// A bitmap definition. Its payload goes to the bitmap cache when it is made; the tag is emitted
// once, into the frame of the first shape placed with it.
class SwfBitmap {
public:
    // DefineBitsJPEG2 with JPEG (or PNG) data.
    static std::shared_ptr<SwfBitmap> jpeg(SwfContext& ctx, int width, int height, const uint8_t* data,
                                           size_t length);
    // DefineBitsJPEG3: JPEG data and one alpha byte per pixel.
    static std::shared_ptr<SwfBitmap> jpegAlpha(SwfContext& ctx, int width, int height, const uint8_t* jpeg,
                                                size_t jpegLength, const uint8_t* alpha, size_t alphaLength);
    // DefineBitsLossless(2): format 3 (colour-mapped: `colours` RGB or RGBA entries, index rows of
    // (width + 3) & ~3 bytes), 4 (15-bit) or 5 (32-bit ARGB, no colour table).
    static std::shared_ptr<SwfBitmap> lossless(SwfContext& ctx, int format, int width, int height,
                                               int colourCount, bool hasAlpha, const uint8_t* pixels,
                                               const uint8_t* colours);

    uint16_t id() const { return id_; }
    int width() const { return width_; }
    int height() const { return height_; }
    bool emitted() const { return emitted_; }
    // Moves the tag into `tags` the first time.
    void emit(FrameTags& tags);

private:
    SwfBitmap(uint16_t id, int w, int h, Tag tag) : id_(id), width_(w), height_(h), tag_(std::move(tag)) {}
    uint16_t id_;
    int width_, height_;
    Tag tag_;
    bool emitted_ = false;
};

class SwfShape : public SwfObject {
public:
    SwfShape(SwfContext& ctx, int x0, int y0, int x1, int y1)
        : SwfObject(ctx), x0_(x0), y0_(y0), x1_(x1), y1_(y1) {}

    void setLineWidth(int w) { lineWidth_ = w; }
    void setLineColour(Rgba c) { lineColour_ = c; }
    void setFillColour(Rgba c);
    void setNoFill() { fill_ = Fill::None; }
    void setLinearGradient(Rgba c0, Rgba c1);
    void setRadialGradient(Rgba c0, Rgba c1);
    void setJpegFill(int width, int height, const uint8_t* data, size_t length);
    void setJpegAlphaFill(int width, int height, const uint8_t* jpeg, size_t jpegLength, const uint8_t* alpha,
                          size_t alphaLength);
    void setLosslessFill(int format, int width, int height, int colourCount, bool hasAlpha,
                         const uint8_t* pixels, const uint8_t* colours);
    // Shares a bitmap that another shape defines; `width` and `height` are its pixel size.
    void setBitmapFill(std::shared_ptr<SwfBitmap> bitmap, int width, int height);
    std::shared_ptr<SwfBitmap> bitmap() const { return bitmap_; }

    void move(int tx, int ty) {
        tx_ = tx;
        ty_ = ty;
    }
    void scale(int sx, int sy) {
        sx_ = sx;
        sy_ = sy;
    }
    void rotate(int angle) { rotation_ = angle; }

    bool hasMatrix() const override;
    Matrix matrix() const override;

    int x0() const { return x0_; }
    int y0() const { return y0_; }
    int x1() const { return x1_; }
    int y1() const { return y1_; }

protected:
    void define(FrameTags& tags, SwfMovie& timeline) override;
    // The edges after the opening style change.
    virtual void outline(std::vector<ShapeRecord>& records, int32_t& startX, int32_t& startY) const = 0;
    void setBounds(int x0, int y0, int x1, int y1) {
        x0_ = x0;
        y0_ = y0;
        x1_ = x1;
        y1_ = y1;
    }

private:
    enum class Fill { None, Solid, Linear, Radial, Bitmap };
    int x0_, y0_, x1_, y1_;
    int lineWidth_ = 20;
    Rgba lineColour_{0, 0, 0, 255};
    Fill fill_ = Fill::Solid;
    Rgba fillColour_{255, 255, 255, 255};
    Rgba gradient0_, gradient1_;
    std::shared_ptr<SwfBitmap> bitmap_;
    int bitmapWidth_ = 0, bitmapHeight_ = 0;
    int tx_ = 0, ty_ = 0, sx_ = 0x10000, sy_ = 0x10000, rotation_ = 0;
};

// A transform matrix of 16.16 scales and a rotation in 1/65536 degrees around the centre of a box.
Matrix transformMatrix(int x0, int y0, int x1, int y1, int tx, int ty, int sx, int sy, int rotation);

class SwfRectangle : public SwfShape {
public:
    SwfRectangle(SwfContext& ctx, int x0, int y0, int x1, int y1) : SwfShape(ctx, x0, y0, x1, y1) {}
    // Image rectangles: no outline, the bitmap fills the box.
    SwfRectangle(SwfContext& ctx, int x0, int y0, int x1, int y1, int jpegWidth, int jpegHeight,
                 const uint8_t* jpegData, size_t jpegLength);
    SwfRectangle(SwfContext& ctx, int x0, int y0, int x1, int y1, int format, int width, int height,
                 int colourCount, bool hasAlpha, const uint8_t* pixels, const uint8_t* colours);
    SwfRectangle(SwfContext& ctx, int x0, int y0, int x1, int y1, std::shared_ptr<SwfBitmap> existing,
                 int width, int height);

protected:
    void outline(std::vector<ShapeRecord>& r, int32_t& sx, int32_t& sy) const override;
};

class SwfRoundRectangle : public SwfShape {
public:
    SwfRoundRectangle(SwfContext& ctx, int x0, int y0, int x1, int y1, int radius)
        : SwfShape(ctx, x0, y0, x1, y1), radius_(radius) {}

protected:
    void outline(std::vector<ShapeRecord>& r, int32_t& sx, int32_t& sy) const override;

private:
    int radius_;
};

class SwfEllipse : public SwfShape {
public:
    SwfEllipse(SwfContext& ctx, int x0, int y0, int x1, int y1) : SwfShape(ctx, x0, y0, x1, y1) {}
    // A circle.
    SwfEllipse(SwfContext& ctx, int cx, int cy, int r) : SwfShape(ctx, cx - r, cy - r, cx + r, cy + r) {}

protected:
    void outline(std::vector<ShapeRecord>& r, int32_t& sx, int32_t& sy) const override;
};

class SwfPath : public SwfShape {
public:
    SwfPath(SwfContext& ctx, int x, int y)
        : SwfShape(ctx, x, y, x, y), startX_(x), startY_(y), endX_(x), endY_(y) {}
    // A closed polygon through n points.
    SwfPath(SwfContext& ctx, const int* xs, const int* ys, int n);
    void lineTo(int dx, int dy);
    void curveTo(int controlDx, int controlDy, int anchorDx, int anchorDy);

protected:
    void outline(std::vector<ShapeRecord>& r, int32_t& sx, int32_t& sy) const override;

private:
    void grow(int x, int y);
    int startX_, startY_, endX_, endY_;
    std::vector<ShapeRecord> segments_;
};

} // namespace tavlo::swf
