#pragma once
// Resizing a frame picture to the movie's output size. A separable triangle filter as wide as the
// reduction, so text stays legible when the movie is made smaller and edges stay smooth when it
// is made larger. The weights are worked out once per size pair.
#include "project/image/pixel_buffer.h"

#include <cstdint>
#include <vector>

namespace tavlo::movie {

class PictureScaler {
public:
    // Paints `in` into `out` at out's size (out must already have its size).
    void scale(const project::PixelBuffer& in, project::PixelBuffer& out);

    struct Taps {
        std::vector<int> first, count; // per output column/row: first source index, number of taps
        std::vector<std::uint16_t> weights; // count[i] weights per output index, summing to 65535
        int from = 0, to = 0;
    };

private:
    Taps columns_, rows_;
    std::vector<std::uint32_t> across_; // horizontally scaled rows, out width x in height
    std::vector<std::uint32_t> sums_;   // one output row's channel sums
};

} // namespace tavlo::movie
