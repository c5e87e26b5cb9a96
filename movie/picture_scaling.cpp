#include "movie/picture_scaling.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tavlo::movie {

namespace {

void makeTaps(PictureScaler::Taps& t, int from, int to) {
    if (t.from == from && t.to == to) return;
    t.from = from;
    t.to = to;
    t.first.assign(std::size_t(to), 0);
    t.count.assign(std::size_t(to), 0);
    t.weights.clear();
    const double ratio = double(from) / to;
    const double support = std::max(1.0, ratio); // the filter's half width in source pixels
    std::vector<double> w;
    for (int i = 0; i < to; ++i) {
        const double centre = (i + 0.5) * ratio - 0.5;
        const int lo = std::max(0, int(std::floor(centre - support)) + 1);
        const int hi = std::min(from - 1, int(std::ceil(centre + support)) - 1);
        w.clear();
        double sum = 0;
        for (int s = lo; s <= hi; ++s) {
            const double v = std::max(0.0, 1.0 - std::abs(s - centre) / support);
            w.push_back(v);
            sum += v;
        }
        int first = lo;
        if (sum <= 0) { // no tap in reach: the nearest pixel
            first = std::clamp(int(std::lround(centre)), 0, from - 1);
            w.assign(1, 1.0);
            sum = 1;
        }
        t.first[std::size_t(i)] = first;
        t.count[std::size_t(i)] = int(w.size());
        // 16-bit weights whose sum is exactly 65535, so a flat picture stays flat.
        int given = 0;
        for (std::size_t k = 0; k < w.size(); ++k) {
            int q = k + 1 == w.size() ? 65535 - given : int(std::lround(w[k] / sum * 65535));
            q = std::clamp(q, 0, 65535 - given);
            given += q;
            t.weights.push_back(std::uint16_t(q));
        }
    }
}

// Red and blue ride in one 64-bit word, 32 bits apart, so one multiply weighs both; sums of
// weights up to 65535 keep every lane below 2^24.
inline std::uint64_t redBlue(std::uint32_t v) { return std::uint64_t(v & 0xFF0000) << 16 | (v & 0xFF); }
constexpr std::uint64_t kHalfRedBlue = 32767ull << 32 | 32767ull;

inline std::uint32_t pack(std::uint64_t rb, std::uint32_t g) {
    return std::uint32_t((rb >> 32) / 65535) << 16 | (g / 65535) << 8 | std::uint32_t((rb & 0xFFFFFFFF) / 65535);
}

// One output pixel from `count` neighbouring source pixels.
inline std::uint32_t blend(const std::uint32_t* src, int count, const std::uint16_t* w) {
    std::uint64_t rb = kHalfRedBlue;
    std::uint32_t g = 32767;
    for (int k = 0; k < count; ++k) {
        const std::uint32_t v = src[k], q = w[k];
        rb += redBlue(v) * q;
        g += (v >> 8 & 255) * q;
    }
    return pack(rb, g);
}

} // namespace

const project::PixelBuffer& PictureScaler::scale(const project::PixelBuffer& in, int width, int height) {
    if (in.width <= 0 || in.height <= 0 || width <= 0 || height <= 0) {
        out_ = project::PixelBuffer(std::max(width, 0), std::max(height, 0));
        valid_ = false;
        return out_;
    }
    // The input rows that differ from the last picture.
    int changedFrom = 0, changedTo = in.height - 1;
    if (valid_ && last_.width == in.width && last_.height == in.height && out_.width == width &&
        out_.height == height) {
        const std::size_t bytes = std::size_t(in.width) * 4;
        changedFrom = in.height;
        changedTo = -1;
        for (int y = 0; y < in.height; ++y)
            if (std::memcmp(in.row(y), last_.row(y), bytes) != 0) {
                changedFrom = std::min(changedFrom, y);
                changedTo = y;
                std::memcpy(last_.row(y), in.row(y), bytes);
            }
        if (changedTo < 0) return out_;
    } else {
        last_ = in;
        out_ = project::PixelBuffer(width, height);
        valid_ = true;
    }
    makeTaps(columns_, in.width, width);
    makeTaps(rows_, in.height, height);
    const std::size_t ow = std::size_t(width);
    across_.resize(ow * std::size_t(in.height));
    for (int y = changedFrom; y <= changedTo; ++y) {
        const std::uint32_t* src = in.row(y);
        std::uint32_t* dst = across_.data() + std::size_t(y) * ow;
        const std::uint16_t* w = columns_.weights.data();
        for (int x = 0; x < width; ++x) {
            const int n = columns_.count[std::size_t(x)];
            dst[x] = blend(src + columns_.first[std::size_t(x)], n, w);
            w += n;
        }
    }
    // Only output rows whose taps reach a changed row are summed again; rows are summed whole,
    // one source row after the other, to read memory in order.
    redBlue_.resize(ow);
    green_.resize(ow);
    const std::uint16_t* w = rows_.weights.data();
    for (int y = 0; y < height; ++y) {
        const int n = rows_.count[std::size_t(y)], first = rows_.first[std::size_t(y)];
        if (first > changedTo || first + n - 1 < changedFrom) {
            w += n;
            continue;
        }
        std::fill(redBlue_.begin(), redBlue_.end(), kHalfRedBlue);
        std::fill(green_.begin(), green_.end(), 32767u);
        for (int k = 0; k < n; ++k) {
            const std::uint32_t* src = across_.data() + std::size_t(first + k) * ow;
            const std::uint32_t q = w[k];
            for (std::size_t x = 0; x < ow; ++x) {
                const std::uint32_t v = src[x];
                redBlue_[x] += redBlue(v) * q;
                green_[x] += (v >> 8 & 255) * q;
            }
        }
        w += n;
        std::uint32_t* dst = out_.row(y);
        for (std::size_t x = 0; x < ow; ++x) dst[x] = pack(redBlue_[x], green_[x]);
    }
    return out_;
}

} // namespace tavlo::movie
