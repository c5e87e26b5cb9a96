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
    // `in` at width x height. Successive pictures of one size are worked out only where their
    // rows changed (a recording mostly changes a few lines a frame); the result stays valid
    // until the next call.
    const project::PixelBuffer& scale(const project::PixelBuffer& in, int width, int height);

    struct Taps {
        std::vector<int> first, count; // per output column/row: first source index, number of taps
        std::vector<std::uint16_t> weights; // count[i] weights per output index, summing to 65535
        int from = 0, to = 0;
    };

private:
    Taps columns_, rows_;
    project::PixelBuffer last_, out_; // the previous input and its result
    bool valid_ = false;
    std::vector<std::uint32_t> across_; // horizontally scaled rows, out width x in height
    std::vector<std::uint64_t> redBlue_; // one output row's channel sums
    std::vector<std::uint32_t> green_;
};

} // namespace tavlo::movie
