// Colours that image edits carried over to later frames bring into palette mode.
#include "movie/movie_palette.h"
#include "movie/palette_sampling.h"

#include <gtest/gtest.h>

namespace tavlo::movie {
namespace {

std::uint32_t key(std::uint32_t rgb) {
    return ((rgb >> 19) & 31) << 10 | ((rgb >> 11) & 31) << 5 | ((rgb >> 3) & 31);
}

// Grey frames; from frame 3 on, an edit's orange box is in the picture.
class EditedPictures : public FrameSource {
public:
    bool picture(int index, project::PixelBuffer& out) override {
        out = project::PixelBuffer(32, 16, 0x808080);
        if (index >= 3)
            for (int x = 0; x < 8; ++x) out.row(4)[x] = 0xF08010;
        asked.push_back(index);
        return true;
    }
    std::vector<int> asked;
};

struct Cancelled : Progress {
    void step(const std::string&) override {}
    void setPercent(int) override {}
    bool cancelled() const override { return true; }
};

TEST(PaletteSampling, EditedColoursJoinThePaletteAndMapToThemselves) {
    project::Project p;
    project::CaptureContext c;
    c.width = 32;
    c.height = 16;
    for (int i = 0; i < 12; ++i) p.appendCapturedFrame(c);
    EXPECT_FALSE(hasCarriedEdits(p));
    p.frames()[3]->data.editedImage = std::string("edit");
    EXPECT_FALSE(hasCarriedEdits(p)); // this frame only
    p.frames()[3]->frame.editScope = 1;
    EXPECT_TRUE(hasCarriedEdits(p));

    std::vector<std::uint32_t> histogram(32768, 0);
    histogram[key(0x808080)] = 1000;
    EditedPictures frames;
    sampleRenderedColours(p, frames, histogram, nullptr);
    EXPECT_EQ(frames.asked, (std::vector<int>{0, 2, 4, 6, 8, 10})); // every 12 / 6 = 2nd frame
    EXPECT_EQ(histogram[key(0xF08010)], 100u);
    EXPECT_EQ(histogram[key(0x808080)], 1000u); // counts already there stay
    MoviePalette palette;
    palette.build(histogram, 256);
    EXPECT_EQ(palette.map(0xF08010 | 0x070707), 0xF08010u & 0xF8F8F8);

    EditedPictures none;
    Cancelled cancel;
    sampleRenderedColours(p, none, histogram, &cancel);
    EXPECT_TRUE(none.asked.empty());
}

} // namespace
} // namespace tavlo::movie
