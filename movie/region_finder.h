#pragma once
// Finds the rectangles in which the current frame picture differs from the previous one: a
// recursive cut that alternates column and row passes. Changes separated by no more than `gap`
// unchanged columns or rows stay in one rectangle; every rectangle found has an even width.
#include "movie/region.h"

#include <cstdint>
#include <vector>

namespace tavlo::movie {

class RegionFinder {
public:
    static constexpr int kMaxRegions = 1024;

    // `width` × `height` pixels in both pictures, rows of `width` pixels.
    RegionFinder(int gap, int width, int height);

    // The changed rectangles inside `range` (clipped to the pictures), in the order found. Past
    // kMaxRegions rectangles the last one grows to cover the rest, so no change is lost.
    std::vector<Region> find(const std::uint32_t* current, const std::uint32_t* previous, Region range);

private:
    void columnPass(int x0, int y0, int x1, int y1);
    void rowPass(int x0, int y0, int x1, int y1);
    // Groups the changed flags of positions lo..hi into runs.
    void group(const std::vector<std::uint8_t>& changed, int lo, int hi, std::vector<Region>& runs) const;
    void emit(int x0, int y0, int x1, int y1);

    int gap_, width_, height_;
    const std::uint32_t* cur_ = nullptr;
    const std::uint32_t* prev_ = nullptr;
    int passCounter_ = 0;
    std::vector<Region> found_;
};

// The number of pixels of `r` that differ, counting no further than `limit` + 1.
int countDifferences(const std::uint32_t* current, const std::uint32_t* previous, int stride, const Region& r,
                     int limit);

// The noise filter: true when `r` holds more than `noiseFilter` differing pixels (always true
// when the filter is off, 0).
bool passesNoiseFilter(const std::uint32_t* current, const std::uint32_t* previous, int stride,
                       const Region& r, int noiseFilter);

// Grows a found rectangle a little so that its edge pixels are not cut (2 pixels each side, 4 at
// the picture's left or right edge, a row above and below), clamped to the output.
Region widenRegion(Region r, int outputWidth, int outputHeight);

} // namespace tavlo::movie
