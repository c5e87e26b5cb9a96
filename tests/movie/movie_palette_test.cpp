// The movie palette of palette mode.
#include "movie/movie_palette.h"
#include "tests/support/recording_prompts.h"

#include <gtest/gtest.h>

#include <set>

namespace tavlo::movie {
namespace {

std::uint32_t key(std::uint32_t rgb) {
    return ((rgb >> 19) & 31) << 10 | ((rgb >> 11) & 31) << 5 | ((rgb >> 3) & 31);
}

int distance(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int s : {0, 8, 16}) d = std::max(d, std::abs(int(a >> s & 255) - int(b >> s & 255)));
    return d;
}

TEST(MoviePalette, KeepsTheMostUsedColoursAndWhiteAndStaysWithinTheMaximum) {
    std::vector<std::uint32_t> histogram(32768, 0);
    std::vector<std::uint32_t> captured;
    for (int i = 0; i < 40; ++i) {
        const std::uint32_t c = std::uint32_t((i * 48) % 256) << 16 | std::uint32_t((i * 88) % 256) << 8 |
                                std::uint32_t((i * 136) % 256);
        captured.push_back(c & 0xF8F8F8);
        histogram[key(c)] += 5000 + std::uint32_t(i) * 100; // later colours more used
    }
    test::RecordingPrompts prompts;
    MoviePalette p;
    p.build(histogram, 256, &prompts);
    EXPECT_TRUE(prompts.messages().empty());
    std::set<std::uint32_t> distinct;
    for (std::uint32_t k = 0; k < 32768; ++k) distinct.insert(p.map(keyColour(k)));
    EXPECT_LE(distinct.size(), 256u);
    EXPECT_EQ(p.map(0xFFFFFF), 0xFFFFFFu);
    // The nine most used colours stay exactly as they were (their low bits cleared).
    for (int i = 31; i < 40; ++i)
        EXPECT_EQ(p.map(captured[std::size_t(i)] | 0x070707), captured[std::size_t(i)]) << i;
    for (std::uint32_t c : captured) EXPECT_LE(distance(p.map(c), c), 24) << std::hex << c;
}

TEST(MoviePalette, AnEmptyHistogramStillGivesAPaletteOfFillers) {
    MoviePalette p;
    p.build({}, 64);
    std::set<std::uint32_t> distinct;
    for (std::uint32_t k = 0; k < 32768; ++k) distinct.insert(p.map(keyColour(k)));
    EXPECT_LE(distinct.size(), 64u);
    EXPECT_GT(distinct.size(), 16u);
    EXPECT_EQ(p.map(0xFFFFFF), 0xFFFFFFu);
}

} // namespace
} // namespace tavlo::movie
