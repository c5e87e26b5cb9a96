#include "movie/region_finder.h"

#include <algorithm>
#include <cstring>

namespace tavlo::movie {

RegionFinder::RegionFinder(int gap, int width, int height)
    : gap_(std::clamp(gap, 1, 200)), width_(width), height_(height) {}

std::vector<Region> RegionFinder::find(const std::uint32_t* current, const std::uint32_t* previous,
                                       Region range) {
    found_.clear();
    passCounter_ = 0;
    cur_ = current;
    prev_ = previous;
    range.x0 = std::max(range.x0, 0);
    range.y0 = std::max(range.y0, 0);
    range.x1 = std::min(range.x1, width_ - 1);
    range.y1 = std::min(range.y1, height_ - 1);
    if (range.x0 <= range.x1 && range.y0 <= range.y1) columnPass(range.x0, range.y0, range.x1, range.y1);
    return std::move(found_);
}

// A changed position after a run's start always closes that run, however far; later ones join
// while they lie within the gap of the last changed one.
void RegionFinder::group(const std::vector<std::uint8_t>& changed, int lo, int hi,
                         std::vector<Region>& runs) const {
    int last = 0;
    bool second = false;
    for (int i = lo; i <= hi; ++i) {
        if (!changed[std::size_t(i - lo)]) continue;
        if (runs.empty() || (second && i - last > gap_)) {
            runs.push_back({i, 0, i, 0});
            second = false;
        } else {
            runs.back().x1 = i;
            second = true;
        }
        last = i;
    }
}

void RegionFinder::columnPass(int x0, int y0, int x1, int y1) {
    const int n = x1 - x0 + 1;
    std::vector<std::uint8_t> changed(std::size_t(n), 0);
    // Row by row rather than column by column: the pictures are stored in rows.
    for (int y = y0; y <= y1; ++y) {
        const std::uint32_t* c = cur_ + std::size_t(y) * width_ + x0;
        const std::uint32_t* p = prev_ + std::size_t(y) * width_ + x0;
        if (std::memcmp(c, p, std::size_t(n) * 4) == 0) continue;
        for (int i = 0; i < n; ++i) changed[std::size_t(i)] |= c[i] != p[i];
    }
    std::vector<Region> runs;
    group(changed, x0, x1, runs);
    if (runs.empty()) return;
    if (runs.size() == 1 && runs[0].x0 == x0 && runs[0].x1 == x1) {
        if (passCounter_++ == 1) {
            passCounter_ = 0;
            emit(x0, y0, x1, y1);
            return;
        }
    }
    for (const Region& r : runs) rowPass(r.x0, y0, r.x1, y1);
}

void RegionFinder::rowPass(int x0, int y0, int x1, int y1) {
    const int n = y1 - y0 + 1;
    std::vector<std::uint8_t> changed(std::size_t(n), 0);
    const std::size_t bytes = std::size_t(x1 - x0 + 1) * 4;
    for (int y = y0; y <= y1; ++y)
        changed[std::size_t(y - y0)] = std::memcmp(cur_ + std::size_t(y) * width_ + x0,
                                                   prev_ + std::size_t(y) * width_ + x0, bytes) != 0;
    std::vector<Region> runs;
    group(changed, y0, y1, runs);
    if (runs.empty()) return;
    if (runs.size() == 1 && runs[0].x0 == y0 && runs[0].x1 == y1) {
        if (passCounter_++ == 1) {
            passCounter_ = 0;
            emit(x0, y0, x1, y1);
            return;
        }
    }
    for (const Region& r : runs) columnPass(x0, r.x0, x1, r.x1);
}

void RegionFinder::emit(int x0, int y0, int x1, int y1) {
    Region r{x0 - (x0 % 2), y0, x1 + ((x1 + 1) % 2), y1};
    // An odd picture width would put the rounded right edge outside the picture.
    r.x1 = std::min(r.x1, width_ - 1);
    if (int(found_.size()) < kMaxRegions) {
        found_.push_back(r);
        return;
    }
    Region& last = found_.back();
    last.x0 = std::min(last.x0, r.x0);
    last.y0 = std::min(last.y0, r.y0);
    last.x1 = std::max(last.x1, r.x1);
    last.y1 = std::max(last.y1, r.y1);
}

int countDifferences(const std::uint32_t* current, const std::uint32_t* previous, int stride, const Region& r,
                     int limit) {
    int count = 0;
    for (int y = r.y0; y <= r.y1; ++y) {
        const std::uint32_t* c = current + std::size_t(y) * stride;
        const std::uint32_t* p = previous + std::size_t(y) * stride;
        for (int x = r.x0; x <= r.x1; ++x)
            if (c[x] != p[x] && ++count > limit) return count;
    }
    return count;
}

bool passesNoiseFilter(const std::uint32_t* current, const std::uint32_t* previous, int stride,
                       const Region& r, int noiseFilter) {
    if (noiseFilter <= 0) return true;
    return countDifferences(current, previous, stride, r, noiseFilter) > noiseFilter;
}

Region widenRegion(Region r, int outputWidth, int outputHeight) {
    if (r.x0 == 0) {
        if (r.x1 < outputWidth - 1) r.x1 += 4;
    } else if (r.x1 == outputWidth - 1) {
        r.x0 -= 4;
    } else {
        r.x0 -= 2;
        r.x1 += 2;
    }
    r.y0 -= 1;
    r.y1 += 1;
    r.x0 = std::max(r.x0, 0);
    r.y0 = std::max(r.y0, 0);
    r.x1 = std::min(r.x1, outputWidth - 1);
    r.y1 = std::min(r.y1, outputHeight - 1);
    return r;
}

} // namespace tavlo::movie
