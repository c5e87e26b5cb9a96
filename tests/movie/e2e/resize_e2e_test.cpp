// A movie published at another size than it was recorded at, played in Ruffle: the player shows
// the frame picture resized, at the movie's size.
#include "movie/movie_builder.h"
#include "movie/picture_scaling.h"
#include "tests/movie/generated_project.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"
#include "tests/swf/swf_test_util.h"

#include <gtest/gtest.h>

namespace tavlo::movie {
namespace {

// A window with lines of "text" on a grey desktop.
class Desktop : public FrameSource {
public:
    bool picture(int, project::PixelBuffer& out) override {
        out = project::PixelBuffer(640, 480, 0x3A6EA5);
        for (int y = 60; y < 400; ++y)
            for (int x = 80; x < 560; ++x) {
                const bool ink = y % 20 < 12 && (x / 6 + y / 20) % 3 != 0 && x % 6 < 4;
                out.row(y)[x] = ink ? 0x202020 : 0xFFFFFF;
            }
        return true;
    }
};

TEST(ResizeE2e, RufflePlaysTheResizedPictures) {
    test::TempHome home;
    test::RecordingPrompts prompts;
    project::Project project;
    test::addFrames(project, 640, 480, {0}); // a stop frame: the picture stays
    Desktop frames;
    BuildRequest request;
    request.outputPath = home.path("small.swf");
    request.options.outputWidth = 400;
    request.options.outputHeight = 300;
    const BuildResult r = buildMovie(project, frames, prompts, request);
    ASSERT_EQ(r.outcome, BuildResult::Outcome::Written) << r.error;
    EXPECT_EQ(test::yaswfpProblems(r.files.movie), "");

    const std::vector<std::uint8_t> rgb =
        test::ruffleShot(r.files.movie, 400, 300, 1000, home.path("shot.png"));
    ASSERT_EQ(rgb.size(), 400u * 300 * 3);

    project::PixelBuffer picture;
    frames.picture(0, picture);
    PictureScaler scaler;
    const project::PixelBuffer& expected = scaler.scale(picture, 400, 300);
    long long total = 0;
    int far = 0;
    for (int i = 0; i < 400 * 300; ++i) {
        const std::uint32_t v = expected.pixels[std::size_t(i)];
        const int d = std::max({std::abs(rgb[std::size_t(i) * 3] - int(v >> 16 & 255)),
                                std::abs(rgb[std::size_t(i) * 3 + 1] - int(v >> 8 & 255)),
                                std::abs(rgb[std::size_t(i) * 3 + 2] - int(v & 255))});
        total += d;
        far += d > 40;
    }
    EXPECT_LT(double(total) / (400 * 300), 3.0);
    EXPECT_LT(far, 400 * 300 / 200);
    // The desktop colour at a corner is exact (one colour, no bitmap artefacts).
    EXPECT_EQ(rgb[0], 0x3A);
    EXPECT_EQ(rgb[2], 0xA5);
}

} // namespace
} // namespace tavlo::movie
