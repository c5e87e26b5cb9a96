// A recording of a real X scene (Xvfb: a moving test picture, a message window, root colours,
// driven by xdotool) published as a movie and played in Ruffle: the player shows, frame for frame,
// what `tavlo frame` paints, and a stop frame holds the movie.
#include "movie/movie_builder.h"
#include "project/frame_store.h"
#include "project/project_file.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"
#include "tests/support/xvfb.h"
#include "tests/swf/swf_test_util.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <sys/stat.h>
#include <thread>

namespace tavlo::movie {
namespace {

using nlohmann::json;
struct Screen {
    int width, height, twipsPerPixel;
};
// Where the moving test picture lies on the screen: its pixels take the JPEG path.
constexpr int kVideoX = 40, kVideoY = 40, kVideoW = 320, kVideoH = 240;

struct Comparison {
    double meanDifference = 0; // mean of the largest channel difference per pixel
    double farOff = 0;         // share of pixels off by more than 48
    int outsideVideoOff = 0;   // pixels off by more than 2 away from the test picture
};

Comparison compare(const std::vector<uint8_t>& rgb, const project::PixelBuffer& expected) {
    const int kWidth = expected.width, kHeight = expected.height;
    Comparison c;
    long long total = 0, far = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const std::uint32_t v = expected.at(x, y);
            const uint8_t* p = rgb.data() + (std::size_t(y) * kWidth + x) * 3;
            int d = std::max({std::abs(p[0] - int(v >> 16 & 255)), std::abs(p[1] - int(v >> 8 & 255)),
                              std::abs(p[2] - int(v & 255))});
            total += d;
            far += d > 48;
            const bool nearVideo = x >= kVideoX - 8 && x < kVideoX + kVideoW + 8 && y >= kVideoY - 8 &&
                                   y < kVideoY + kVideoH + 8;
            if (!nearVideo && d > 2) ++c.outsideVideoOff;
        }
    c.meanDifference = double(total) / (kWidth * kHeight);
    c.farOff = double(far) / (kWidth * kHeight);
    return c;
}

class PublishE2e : public ::testing::TestWithParam<Screen> {
protected:
    const int kWidth = GetParam().width, kHeight = GetParam().height;
    test::TempHome home;
    test::XvfbDisplay display{kWidth, kHeight};

    void SetUp() override {
        std::string run = home.path("run");
        mkdir(run.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    }
    int tavlo(const std::string& args) const { return display.run(std::string(TAVLO_BINARY) + " " + args); }

    // Ruffle's picture of `swf` after `waitMs`, as rgb24 bytes (stage pixels).
    std::vector<uint8_t> shoot(const std::string& swf, int waitMs, const std::string& name) {
        return test::ruffleShot(swf, kWidth, kHeight, waitMs, home.path(name + ".png"));
    }
};

TEST_P(PublishE2e, RufflePlaysTheRecordedFramesAndStopsAtAStopFrame) {
    ASSERT_TRUE(display.ok());
    const std::string recording = home.path("scene.tavlo");
    std::thread user([&] {
        // The first frame (one whole picture) is the plain root; everything else comes later, each
        // change far enough from the others to be a rectangle of its own.
        display.run("xsetroot -solid '#c8d0d8'");
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        display.run("timeout 4 ffplay -loglevel quiet -an -noborder -left " + std::to_string(kVideoX) +
                    " -top " + std::to_string(kVideoY) + " -f lavfi -i testsrc2=s=" +
                    std::to_string(kVideoW) + "x" + std::to_string(kVideoH) + ":r=4 >/dev/null 2>&1 &");
        std::this_thread::sleep_for(std::chrono::milliseconds(900));
        display.run("timeout 4 xmessage -geometry +440+320 -fg black -bg '#ffffe0' 'Tavlo publishes a movie' "
                    ">/dev/null 2>&1 &");
        for (int i = 0; i < 6; ++i) {
            display.run("xdotool mousemove " + std::to_string(420 + i * 40) + " " +
                        std::to_string(100 + i * 20));
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
        }
        display.run("timeout 3 xmessage -geometry +440+470 -fg white -bg '#305070' 'A second window' "
                    ">/dev/null 2>&1 &");
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    });
    ASSERT_EQ(tavlo("record -o " + recording + " --seconds 3 --rate 5"), 0);
    user.join();

    // The command line publishes the whole recording.
    const std::string cliMovie = home.path("scene.swf");
    std::string summary;
    ASSERT_EQ(test::runCommand("DISPLAY= " + std::string(TAVLO_BINARY) + " publish " + recording + " -o " +
                                   cliMovie,
                               &summary),
              0);
    json s = json::parse(summary, nullptr, false);
    ASSERT_FALSE(s.is_discarded()) << summary;
    EXPECT_EQ(s["movie"], cliMovie);
    EXPECT_EQ(s["twips_per_pixel"], GetParam().twipsPerPixel);
    EXPECT_GT(s["new_bitmaps"].get<int>(), 2) << summary;
    EXPECT_EQ(test::yaswfpProblems(cliMovie), "");
    EXPECT_EQ(test::fileBytes(cliMovie)[0], 'C');
    // Builds that cannot run end non-zero with their message.
    std::string message;
    EXPECT_NE(test::runCommand(std::string(TAVLO_BINARY) + " publish " + recording + " -o " +
                                   home.path("missing/folder/x.swf") + " 2>&1",
                               &message),
              0);
    EXPECT_NE(message.find("无法写入输出文件"), std::string::npos) << message;
    EXPECT_NE(
        test::runCommand(std::string(TAVLO_BINARY) + " publish " + home.path("none.tavlo") + " 2>/dev/null"),
        0);
    EXPECT_EQ(test::runCommand(std::string(TAVLO_BINARY) + " publish --quality 300 x.tavlo 2>/dev/null") >> 0,
              2);

    test::RecordingPrompts prompts;
    project::Project p;
    project::LoadOptions o;
    o.readOnly = true;
    ASSERT_TRUE(project::load(prompts, recording, p, o));
    ASSERT_GE(p.frameCount(), 8);
    project::FrameStore store(p);
    std::string error;
    ASSERT_TRUE(store.open(error)) << error;

    // Each chosen frame in turn is made a stop frame: the movie must come to rest showing it.
    const int n = p.frameCount();
    for (int number : {2, n / 2 + 1, n}) {
        SCOPED_TRACE("frame " + std::to_string(number));
        for (const auto& f : p.frames()) f->frame.displayTime = f->frame.recordedTime;
        p.frameAt(number)->frame.displayTime = 0;
        StoreFrameSource frames(store);
        BuildRequest request;
        request.outputPath = home.path("stop" + std::to_string(number) + ".swf");
        // The pictures alone: `tavlo frame` paints no pointer (the pointer has its own e2e test).
        request.options.showPointer = false;
        request.options.clickFlash = false;
        BuildResult r = buildMovie(p, frames, prompts, request);
        ASSERT_EQ(r.outcome, BuildResult::Outcome::Written) << r.error;
        EXPECT_EQ(test::yaswfpProblems(r.files.movie), "");

        // What `tavlo frame` paints for that frame, read back by ffmpeg.
        const std::string png = home.path("frame" + std::to_string(number) + ".png");
        ASSERT_EQ(test::runCommand(std::string(TAVLO_BINARY) + " frame " + recording + " " +
                                   std::to_string(number) + " -o " + png),
                  0);
        const std::vector<uint8_t> painted = test::rgbPixels(png);
        ASSERT_EQ(painted.size(), std::size_t(kWidth) * kHeight * 3);
        project::PixelBuffer expected(kWidth, kHeight);
        for (std::size_t k = 0; k < expected.pixels.size(); ++k)
            expected.pixels[k] = std::uint32_t(painted[k * 3]) << 16 |
                                 std::uint32_t(painted[k * 3 + 1]) << 8 | painted[k * 3 + 2];
        const int reach = r.frameStart[std::size_t(number)] * 1000 / r.frameRate;
        std::vector<uint8_t> first = shoot(r.files.movie, reach + 2500, "shot" + std::to_string(number));
        ASSERT_EQ(first.size(), std::size_t(kWidth) * kHeight * 3);
        Comparison c = compare(first, expected);
        std::printf("frame %d: mean difference %.2f, far off %.4f, off outside the test picture %d\n", number,
                    c.meanDifference, c.farOff, c.outsideVideoOff);
        EXPECT_LT(c.meanDifference, 3.0);
        EXPECT_LT(c.farOff, 0.01);
        EXPECT_EQ(c.outsideVideoOff, 0);
        // Still the same picture a second later: the movie stopped there.
        std::vector<uint8_t> later = shoot(r.files.movie, reach + 3500, "later" + std::to_string(number));
        if (later.size() == first.size()) {
            EXPECT_LT(compare(later, expected).meanDifference, 3.0);
        }
    }
}

// 20 twips a pixel shows the movie at its own size; 10 has the player scale it up twice.
INSTANTIATE_TEST_SUITE_P(Sizes, PublishE2e, ::testing::Values(Screen{800, 600, 20}, Screen{1024, 768, 10}));

} // namespace
} // namespace tavlo::movie
