// Image edits laid over frame pictures.
#include "movie/frame_source.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace tavlo::movie {
namespace {

std::string editBlock(int w, int h, const std::vector<std::uint32_t>& argb, int countDelta = 0) {
    std::vector<std::uint8_t> raw;
    auto put = [&](std::uint32_t v) {
        for (int s = 0; s < 32; s += 8) raw.push_back(std::uint8_t(v >> s));
    };
    put(std::uint32_t(w * h * 4 + countDelta));
    put(std::uint32_t(w));
    put(std::uint32_t(h));
    for (std::uint32_t v : argb) put(v);
    uLongf n = compressBound(uLong(raw.size()));
    std::string out(n, '\0');
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &n, raw.data(), uLong(raw.size()), 9), Z_OK);
    out.resize(n);
    return out;
}

TEST(ImageEdit, ChangedPixelsReplaceThePictureAndTransparentOnesKeepIt) {
    project::PixelBuffer pic(2, 2, 0x112233);
    std::vector<std::uint8_t> scratch;
    ASSERT_TRUE(applyImageEdit(editBlock(2, 2, {0, 0xFFFF0000, 0x00ABCDEF, 0x80FFFFFF}), pic, scratch));
    EXPECT_EQ(pic.pixels, (std::vector<std::uint32_t>{0x112233, 0xFF0000, 0x112233, 0x889199}));
}

TEST(ImageEdit, AnEditOfAnotherSizeOrDamagedIsIgnored) {
    project::PixelBuffer pic(2, 2, 0x112233);
    std::vector<std::uint8_t> scratch;
    EXPECT_FALSE(
        applyImageEdit(editBlock(1, 4, {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000}), pic, scratch));
    EXPECT_FALSE(applyImageEdit(editBlock(2, 2, {0xFF000000, 0, 0, 0}, 4), pic, scratch));
    EXPECT_FALSE(applyImageEdit("not zlib", pic, scratch));
    EXPECT_EQ(pic.pixels, std::vector<std::uint32_t>(4, 0x112233));
}

} // namespace
} // namespace tavlo::movie
