// A movie that starts behind its play button, played in Ruffle: the button shows over the first
// picture, the movie waits, and a click on the button plays it on.
#include "movie/movie_builder.h"
#include "tests/movie/generated_project.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"
#include "tests/swf/swf_test_util.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace tavlo::movie {
namespace {

using nlohmann::json;

// Frame 0 white, frame 1 blue.
class TwoPictures : public FrameSource {
public:
    bool picture(int index, project::PixelBuffer& out) override {
        out = project::PixelBuffer(320, 240, index == 0 ? 0xFFFFFF : 0x2040C0);
        return true;
    }
};

TEST(StartButtonE2e, TheMovieWaitsUntilTheButtonIsClicked) {
    test::TempHome home;
    test::RecordingPrompts prompts;
    project::Project project;
    test::addFrames(project, 320, 240, {100, 300});
    TwoPictures frames;
    BuildRequest request;
    request.outputPath = home.path("button.swf");
    request.options.startButton = true;
    request.options.buttonColour = 0xFF8000;
    const BuildResult r = buildMovie(project, frames, prompts, request);
    ASSERT_EQ(r.outcome, BuildResult::Outcome::Written) << r.error;
    EXPECT_EQ(test::yaswfpProblems(r.files.movie), "");

    // A point on the button's body, left of its play sign, and a corner of the picture.
    const json points = json::array({json::array({138, 120}), json::array({20, 20})});
    json job = {{"swf", r.files.movie},
                {"width", 320},
                {"height", 240},
                {"steps", json::array({{{"wait", 800}},
                                       {{"pixels", "before"}, {"points", points}},
                                       {{"wait", 1500}},
                                       {{"pixels", "held"}, {"points", points}},
                                       {{"click", json::array({160, 120})}},
                                       {{"wait", 1500}},
                                       {{"pixels", "after"}, {"points", points}}})}};
    const std::string jobPath = home.path("job.json");
    std::ofstream(jobPath) << job.dump();
    std::string out;
    ASSERT_EQ(test::runCommand("node '" + test::sourcePath("tests/e2e/play.mjs") + "' '" + jobPath + "'", &out), 0)
        << out;
    const json result = json::parse(out);
    ASSERT_TRUE(result["errors"].empty()) << out;
    auto rgb = [&](const char* name, int k) {
        const json& p = result["pixels"][name][k];
        return std::array<int, 3>{p[0].get<int>(), p[1].get<int>(), p[2].get<int>()};
    };
    // The button's body takes the orange tint; the corner is the first picture.
    const auto button = rgb("before", 0);
    EXPECT_GT(button[0], button[2] + 60) << out;
    EXPECT_EQ(rgb("before", 1), (std::array<int, 3>{255, 255, 255})) << out;
    // Two seconds in, the movie still waits at its first picture.
    EXPECT_EQ(rgb("held", 1), (std::array<int, 3>{255, 255, 255})) << out;
    // After the click it has played on to the blue picture, and the button is gone.
    EXPECT_NEAR(rgb("after", 1)[2], 0xC0, 4) << out;
    EXPECT_NEAR(rgb("after", 0)[2], 0xC0, 4) << out;
}

} // namespace
} // namespace tavlo::movie
