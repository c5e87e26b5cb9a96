#pragma once
// Palette mode: at most a given number of colours for the whole movie, chosen from the project's
// colour histogram — white and the 9 most used colours as they are, the rest reduced by an
// octree of five bits per channel. A pixel's colour depends only on its 15-bit key, so the
// mapping is one table look-up per pixel.
#include "core/ui_prompts.h"

#include <cstdint>
#include <vector>

namespace tavlo::movie {

inline constexpr int kFixedColours = 10;

class MoviePalette {
public:
    // `histogram` holds a count per 15-bit key (shorter tables count as zeros); `maximum` >= 11.
    void build(const std::vector<std::uint32_t>& histogram, int maximum, UiPrompts* prompts = nullptr);

    bool empty() const { return table_.empty(); }
    // The colour (0x00RRGGBB) that a pixel shows as in the movie.
    std::uint32_t map(std::uint32_t rgb) const {
        const std::uint32_t key = ((rgb >> 9) & 0x7C00) | ((rgb >> 6) & 0x3E0) | ((rgb >> 3) & 0x1F);
        return table_[key];
    }
    // The distinct colours of the palette: fixed ones first, then the octree's leaves.
    const std::vector<std::uint32_t>& colours() const { return colours_; }

private:
    std::vector<std::uint32_t> table_;
    std::vector<std::uint32_t> colours_;
};

// The colour of a 15-bit key: the top of each five-bit step (low three bits set).
inline std::uint32_t keyColour(std::uint32_t key) {
    return (((key >> 10) * 8 + 7) << 16) | ((((key >> 5) & 31) * 8 + 7) << 8) | ((key & 31) * 8 + 7);
}

} // namespace tavlo::movie
