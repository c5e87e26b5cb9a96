#include "movie/picture_scaling.h"

#include <algorithm>
#include <cmath>

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

// One output pixel from `count` neighbouring source pixels.
inline std::uint32_t blend(const std::uint32_t* src, int count, const std::uint16_t* w) {
    std::uint32_t r = 32767, g = 32767, b = 32767;
    for (int k = 0; k < count; ++k, ++src) {
        const std::uint32_t v = *src, q = w[k];
        r += (v >> 16 & 255) * q;
        g += (v >> 8 & 255) * q;
        b += (v & 255) * q;
    }
    return (r / 65535) << 16 | (g / 65535) << 8 | (b / 65535);
}

} // namespace

void PictureScaler::scale(const project::PixelBuffer& in, project::PixelBuffer& out) {
    if (in.width <= 0 || in.height <= 0 || out.width <= 0 || out.height <= 0) return;
    makeTaps(columns_, in.width, out.width);
    makeTaps(rows_, in.height, out.height);
    across_.resize(std::size_t(out.width) * std::size_t(in.height));
    for (int y = 0; y < in.height; ++y) {
        const std::uint32_t* src = in.row(y);
        std::uint32_t* dst = across_.data() + std::size_t(y) * std::size_t(out.width);
        const std::uint16_t* w = columns_.weights.data();
        for (int x = 0; x < out.width; ++x) {
            const int n = columns_.count[std::size_t(x)];
            dst[x] = blend(src + columns_.first[std::size_t(x)], n, w);
            w += n;
        }
    }
    // Rows are summed whole, one source row after the other, to read memory in order.
    const std::size_t ow = std::size_t(out.width);
    sums_.resize(ow * 3);
    const std::uint16_t* w = rows_.weights.data();
    for (int y = 0; y < out.height; ++y) {
        std::fill(sums_.begin(), sums_.end(), 32767u);
        const int n = rows_.count[std::size_t(y)];
        for (int k = 0; k < n; ++k) {
            const std::uint32_t* src = across_.data() + std::size_t(rows_.first[std::size_t(y)] + k) * ow;
            const std::uint32_t q = w[k];
            std::uint32_t* acc = sums_.data();
            for (std::size_t x = 0; x < ow; ++x, acc += 3) {
                const std::uint32_t v = src[x];
                acc[0] += (v >> 16 & 255) * q;
                acc[1] += (v >> 8 & 255) * q;
                acc[2] += (v & 255) * q;
            }
        }
        w += n;
        std::uint32_t* dst = out.row(y);
        const std::uint32_t* acc = sums_.data();
        for (std::size_t x = 0; x < ow; ++x, acc += 3)
            dst[x] = (acc[0] / 65535) << 16 | (acc[1] / 65535) << 8 | (acc[2] / 65535);
    }
}

} // namespace tavlo::movie
