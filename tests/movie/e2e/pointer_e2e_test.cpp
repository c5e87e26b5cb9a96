// A real X scene with pointer moves and a click (xdotool), recorded, published and played in
// Ruffle: the pointer shows at its recorded places with its shadow, a transitional fade shows
// colours between two frames, and the click flash shows at the press.
#include "movie/movie_builder.h"
#include "platform/pointer_source.h"
#include "project/frame_store.h"
#include "project/project_file.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"
#include "tests/support/xvfb.h"
#include "tests/swf/swf_test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sys/stat.h>
#include <thread>

namespace tavlo::movie {
namespace {

constexpr int kW = 800, kH = 600;

struct Rgb {
    int r, g, b;
};

class PointerE2e : public ::testing::Test {
protected:
    test::TempHome home;
    test::XvfbDisplay display{kW, kH};
    test::RecordingPrompts prompts;
    project::Project p;
    std::string recording;

    void SetUp() override {
        std::string run = home.path("run");
        mkdir(run.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    }
    std::vector<uint8_t> shoot(const std::string& swf, int waitMs, const std::string& name) {
        const std::string png = home.path(name + ".png");
        std::vector<uint8_t> rgb = test::ruffleShot(swf, kW, kH, waitMs, png);
        if (const char* keep = std::getenv("TAVLO_KEEP_SHOTS")) test::runCommand("cp '" + png + "' " + keep);
        return rgb;
    }
    // What `tavlo frame` paints for a frame (1-based): the recorded picture without any pointer.
    std::vector<uint8_t> painted(int number) {
        const std::string png = home.path("frame" + std::to_string(number) + ".png");
        EXPECT_EQ(test::runCommand(std::string(TAVLO_BINARY) + " frame " + recording + " " +
                                   std::to_string(number) + " -o " + png),
                  0);
        return test::rgbPixels(png);
    }
    // Frames play for their recorded times, but frame `stop`, where the movie halts.
    void stopAt(int stop) {
        for (const auto& f : p.frames()) f->frame.displayTime = f->frame.recordedTime;
        p.frameAt(stop)->frame.displayTime = 0;
    }
    // A build with frame `stop` as a stop frame.
    BuildResult build(project::FrameStore& store, int stop, const MovieOptions& o, const std::string& name) {
        stopAt(stop);
        return buildAsTimed(store, o, name);
    }
    BuildResult buildAsTimed(project::FrameStore& store, const MovieOptions& o, const std::string& name) {
        StoreFrameSource frames(store);
        BuildRequest request;
        request.outputPath = home.path(name + ".swf");
        request.options = o;
        BuildResult r = buildMovie(p, frames, prompts, request);
        EXPECT_EQ(r.outcome, BuildResult::Outcome::Written) << r.error;
        return r;
    }
    static Rgb at(const std::vector<uint8_t>& rgb, int x, int y) {
        const uint8_t* q = rgb.data() + (std::size_t(y) * kW + x) * 3;
        return {q[0], q[1], q[2]};
    }
};

int difference(Rgb a, Rgb b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

TEST_F(PointerE2e, ThePointerItsShadowAFadeAndAClickFlashPlayInRuffle) {
    ASSERT_TRUE(display.ok());
    recording = home.path("pointer.tavlo");
    std::thread user([&] {
        display.run("xsetroot -solid '#c8d0d8'");
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        for (int i = 0; i < 8; ++i) {
            display.run("xdotool mousemove " + std::to_string(150 + i * 60) + " " +
                        std::to_string(120 + i * 40));
            std::this_thread::sleep_for(std::chrono::milliseconds(180));
        }
        display.run("xdotool click 1");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        display.run("timeout 3 xmessage -geometry 300x120+100+380 -fg white -bg '#305070' 'A window' "
                    ">/dev/null 2>&1 &");
        std::this_thread::sleep_for(std::chrono::milliseconds(900));
    });
    ASSERT_EQ(display.run(std::string(TAVLO_BINARY) + " record -o " + recording + " --seconds 3 --rate 5"),
              0);
    user.join();
    project::LoadOptions lo;
    lo.readOnly = true;
    ASSERT_TRUE(project::load(prompts, recording, p, lo));
    ASSERT_TRUE(p.pointerShapes.present);
    ASSERT_FALSE(p.pointerShapes.shapes.empty());
    project::FrameStore store(p);
    std::string error;
    ASSERT_TRUE(store.open(error)) << error;
    const int n = p.frameCount();

    // The command line's switches reach the pointer layers: per shape a picture and a shadow by
    // default, a halo (radius (32 + 32) / 3) instead of the shadow when asked, nothing without it.
    {
        auto layers = [&](const std::string& switches) {
            const std::string swf = home.path("cli.swf");
            EXPECT_EQ(test::runCommand(std::string(TAVLO_BINARY) + " publish " + recording + " -o " + swf +
                                       " " + switches + " >/dev/null"),
                      0)
                << switches;
            std::map<int, int> bySize; // width of the 32-bit bitmaps with alpha -> how many
            for (const auto& b : test::tagsOf<swf::DefineBitsLossless>(test::parsedFile(swf).tags))
                if (b.format == 5 && b.alpha) ++bySize[b.width];
            return bySize;
        };
        const int w = p.pointerShapes.width, halo = w + 2 * ((w + p.pointerShapes.height) / 3);
        const auto plain = layers(""), lit = layers("--halo --no-shadow"), none = layers("--no-pointer");
        ASSERT_GT(plain.count(w), 0u);
        EXPECT_EQ(plain.at(w) % 2, 0) << "a picture and a shadow per shape";
        EXPECT_EQ(plain.count(halo), 0u);
        ASSERT_GT(lit.count(halo), 0u);
        EXPECT_EQ(lit.at(w), lit.at(halo));
        EXPECT_EQ(none.count(w), 0u);
    }

    // The pointer at several recorded positions: each of its opaque pixels shows its colour (within
    // a pixel), and the shadow darkens the picture beside it.
    int checked = 0;
    for (int number = 2; number <= n && checked < 3; number += std::max(1, n / 4)) {
        const project::Frame& f = p.frameAt(number)->frame;
        if (f.pointerHandle == 0 || f.pointerSystemHidden) continue;
        const project::PointerShape* shape = nullptr;
        for (const auto& s : p.pointerShapes.shapes)
            if (s.handle == f.pointerHandle && s.group == f.pointerShapeGroup) shape = &s;
        if (!shape || shape->inverts) continue;
        SCOPED_TRACE("frame " + std::to_string(number));
        ++checked;
        BuildResult r = build(store, number, {}, "pointer" + std::to_string(number));
        std::printf("pointer at %d,%d handle %d, shape %dx%d\n", f.pointerX, f.pointerY, f.pointerHandle,
                    p.pointerShapes.width, p.pointerShapes.height);
        const std::vector<uint8_t> shot =
            shoot(r.files.movie, r.frameStart[std::size_t(number)] * 1000 / r.frameRate + 2500,
                  "pointer" + std::to_string(number));
        const std::vector<uint8_t> bare = painted(number);
        ASSERT_EQ(shot.size(), std::size_t(kW) * kH * 3);
        ASSERT_EQ(bare.size(), shot.size());
        const int pw = p.pointerShapes.width, ph = p.pointerShapes.height;
        int opaque = 0, matched = 0, shadowed = 0, shadowSeen = 0;
        auto pixel = [&](int x, int y) { return shape->pixels[std::size_t(y) * pw + x]; };
        for (int y = 0; y < ph; ++y)
            for (int x = 0; x < pw; ++x) {
                const int sx = f.pointerX + x, sy = f.pointerY + y;
                if (sx < 2 || sy < 2 || sx >= kW - 2 || sy >= kH - 2) continue;
                const std::uint32_t v = pixel(x, y);
                if (v != platform::kPointerTransparent) {
                    ++opaque;
                    const Rgb want{int(v >> 16 & 255), int(v >> 8 & 255), int(v & 255)};
                    bool near = false;
                    for (int dy = -1; dy <= 1 && !near; ++dy)
                        for (int dx = -1; dx <= 1 && !near; ++dx)
                            near = difference(at(shot, sx + dx, sy + dy), want) <= 24;
                    matched += near;
                } else if (x >= 2 && y >= 1 && pixel(x - 2, y - 1) != platform::kPointerTransparent) {
                    // Transparent here, opaque where the shadow's source lies: the shadow shows.
                    ++shadowed;
                    const Rgb s = at(shot, sx, sy), b = at(bare, sx, sy);
                    shadowSeen += s.r + s.g + s.b + 12 < b.r + b.g + b.b;
                }
            }
        EXPECT_GT(opaque, 10);
        EXPECT_GE(matched * 10, opaque * 9) << matched << " of " << opaque;
        EXPECT_GT(shadowed, 0);
        EXPECT_GE(shadowSeen * 2, shadowed) << shadowSeen << " of " << shadowed;
    }
    EXPECT_GE(checked, 2);

    // A transitional fade into the frame where the window appears, held half way: the window's frame
    // lasts 10 SWF frames, the next one stops on its second, 12 frames into a fade of 24 (1.2 s at 20
    // frames a second). The window's pixels lie between the two frames' colours.
    int windowFrame = 0;
    {
        std::vector<uint8_t> before = painted(1);
        for (int number = 2; number <= n && !windowFrame; ++number) {
            const std::vector<uint8_t> now = painted(number);
            if (difference(at(now, 250, 440), at(before, 250, 440)) > 60) windowFrame = number;
            before = now;
        }
    }
    ASSERT_GT(windowFrame, 1);
    ASSERT_LT(windowFrame, n);
    {
        project::Frame& f = p.frameAt(windowFrame)->frame;
        stopAt(windowFrame + 1);
        f.displayTime = 50;
        f.frameEffect = 5;
        f.frameEffectTime = 120;
        MovieOptions o;
        o.showPointer = false;
        o.frameRate = 20;
        BuildResult r = buildAsTimed(store, o, "fade");
        f.frameEffect = 0;
        ASSERT_EQ(r.frameStart[std::size_t(windowFrame) + 1] - r.frameStart[std::size_t(windowFrame)], 10);
        const std::vector<uint8_t> shot =
            shoot(r.files.movie, r.frameStart[std::size_t(windowFrame)] * 1000 / r.frameRate + 2500, "fade");
        const std::vector<uint8_t> from = painted(windowFrame - 1), to = painted(windowFrame);
        int changed = 0, between = 0;
        for (int y = 390; y < 490; y += 2)
            for (int x = 110; x < 390; x += 2) {
                const Rgb a = at(from, x, y), b = at(to, x, y), s = at(shot, x, y);
                if (difference(a, b) < 80) continue;
                ++changed;
                between += difference(s, a) > 20 && difference(s, b) > 20;
            }
        EXPECT_GT(changed, 100);
        EXPECT_GE(between * 2, changed) << between << " of " << changed;
    }

    // The click flash: a big one (200 circles, 10 s) is still growing when the shot is taken.
    int clickFrame = 0;
    for (int number = 1; number <= n && !clickFrame; ++number)
        if (p.frameAt(number)->frame.clickDown) clickFrame = number;
    ASSERT_GT(clickFrame, 0);
    {
        MovieOptions o;
        o.showPointer = false;
        o.clickFlashSize = 200;
        o.clickFlashColour = 0xFF0000;
        BuildResult r = build(store, clickFrame, o, "click");
        const std::vector<uint8_t> shot =
            shoot(r.files.movie, r.frameStart[std::size_t(clickFrame)] * 1000 / r.frameRate + 2500, "click");
        const std::vector<uint8_t> bare = painted(clickFrame);
        int red = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const Rgb s = at(shot, x, y), b = at(bare, x, y);
                red += s.r > 200 && s.g < 120 && s.b < 120 && !(b.r > 200 && b.g < 120);
            }
        EXPECT_GT(red, 30);
    }
}

} // namespace
} // namespace tavlo::movie
