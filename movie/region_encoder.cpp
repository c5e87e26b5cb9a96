#include "movie/region_encoder.h"

#include "movie/lossless_estimate.h"
#include "project/image/jpeg_codec.h"

#include <cstring>

namespace tavlo::movie {

namespace {

// The weights of the pixel sum: a fixed sequence restarted for every rectangle.
struct Weights {
    std::uint32_t state = 13;
    std::uint32_t next() {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7FFF;
    }
};

} // namespace

RegionEncoder::RegionEncoder(swf::SwfContext& ctx, int twipsPerPixel, int jpegQuality)
    : ctx_(ctx), twips_(twipsPerPixel), quality_(jpegQuality) {}

void RegionEncoder::clear() {
    reuse_.clear();
    imageBytes_ = 0;
}

int RegionEncoder::addColour(std::uint32_t v) {
    std::uint32_t slot = (v * 2654435761u) >> 22;
    for (;; slot = (slot + 1) & (kSlots - 1)) {
        if (slotGeneration_[slot] != generation_) {
            slotGeneration_[slot] = generation_;
            slotColour_[slot] = v;
            slotIndex_[slot] = std::uint16_t(palette_.size());
            palette_.push_back(v);
            return slotIndex_[slot];
        }
        if (slotColour_[slot] == v) return slotIndex_[slot];
    }
}

EncodedRegion RegionEncoder::encode(const std::uint32_t* current, std::uint32_t* previous, int stride,
                                    const Region& r, bool allowPlain) {
    const int w = r.width(), h = r.height();
    const int indexRow = (w + 3) & ~3; // index rows are padded to 32 bits
    colours_.resize(std::size_t(w) * h);
    indices_.assign(std::size_t(indexRow) * h, 0);
    palette_.clear();
    if (++generation_ == 0) { // after 2^32 rectangles: start the slots afresh
        std::fill(slotGeneration_.begin(), slotGeneration_.end(), 0);
        generation_ = 1;
    }

    Weights weights;
    std::uint64_t sum = 0, check = 0xCBF29CE484222325ull;
    bool manyColours = false;
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* src = current + std::size_t(r.y0 + y) * stride + r.x0;
        std::uint32_t* out = colours_.data() + std::size_t(y) * w;
        std::uint8_t* idx = indices_.data() + std::size_t(y) * indexRow;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t v = src[x] & 0xFFFFFF;
            sum += std::uint64_t(v + 1) * (weights.next() + 1);
            check = (check ^ v) * 0x100000001B3ull;
            out[x] = v;
            if (!manyColours) {
                int i = addColour(v);
                if (palette_.size() > 255) manyColours = true;
                idx[x] = std::uint8_t(i);
            }
        }
        std::memcpy(previous + std::size_t(r.y0 + y) * stride + r.x0, src, std::size_t(w) * 4);
    }

    EncodedRegion result;
    result.colours = int(palette_.size());
    if (allowPlain && palette_.size() == 1) {
        const std::uint32_t c = palette_[0];
        result.shape = std::make_unique<swf::SwfRectangle>(ctx_, r.x0, r.y0, r.x1, r.y1);
        result.shape->setFillColour({std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c), 255});
        result.shape->setLineWidth(0);
        result.kind = EncodedRegion::Kind::Plain;
    } else if (auto hit = reuse_.find({sum, check, w, h}); hit != reuse_.end()) {
        result.shape = std::make_unique<swf::SwfRectangle>(ctx_, r.x0, r.y0, r.x1, r.y1, hit->second, w, h);
        result.kind = EncodedRegion::Kind::Reused;
    } else if (manyColours) {
        plane_.resize(std::size_t(w) * h * 4);
        std::uint8_t* p = plane_.data();
        for (std::uint32_t v : colours_) {
            p[0] = 255;
            p[1] = std::uint8_t(v >> 16);
            p[2] = std::uint8_t(v >> 8);
            p[3] = std::uint8_t(v);
            p += 4;
        }
        const std::size_t measured = measureLossless(plane_.data(), plane_.size());
        imageBytes_ += measured;
        std::vector<std::uint8_t> jpeg;
        if (measured >= 601 && w >= 16 && h >= 16) {
            // A JPEG larger than its block counts as failed: the lossless data is used instead.
            const std::size_t capacity = std::size_t(w) * h * 3 + 1024;
            if (!project::encodeJpeg(colours_.data(), w, h, quality_, jpeg) || jpeg.size() > capacity)
                jpeg.clear();
        }
        if (!jpeg.empty() && jpeg.size() < measured) {
            result.shape = std::make_unique<swf::SwfRectangle>(ctx_, r.x0, r.y0, r.x1, r.y1, w, h,
                                                               jpeg.data(), jpeg.size());
            result.kind = EncodedRegion::Kind::Jpeg;
        } else {
            result.shape = std::make_unique<swf::SwfRectangle>(ctx_, r.x0, r.y0, r.x1, r.y1, 5, w, h, 0,
                                                               false, plane_.data(), nullptr);
            result.kind = EncodedRegion::Kind::Lossless32;
        }
    } else {
        plane_.resize(palette_.size() * 3);
        for (std::size_t i = 0; i < palette_.size(); ++i) {
            plane_[i * 3] = std::uint8_t(palette_[i] >> 16);
            plane_[i * 3 + 1] = std::uint8_t(palette_[i] >> 8);
            plane_[i * 3 + 2] = std::uint8_t(palette_[i]);
        }
        result.shape =
            std::make_unique<swf::SwfRectangle>(ctx_, r.x0, r.y0, r.x1, r.y1, 3, w, h, int(palette_.size()),
                                                false, indices_.data(), plane_.data());
        result.kind = EncodedRegion::Kind::Palette8;
    }
    if (result.kind != EncodedRegion::Kind::Plain && result.kind != EncodedRegion::Kind::Reused)
        reuse_.emplace(ReuseKey{sum, check, w, h}, result.shape->bitmap());
    result.shape->scale(twips_ << 16, twips_ << 16);
    return result;
}

} // namespace tavlo::movie
