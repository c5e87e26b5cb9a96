// The pointer, the click flash, fades and transitions in published movies, read back tag by tag.
#include "movie/movie_builder.h"
#include "platform/pointer_source.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"
#include "tests/swf/swf_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavlo::movie {
namespace {

// Frame k is white with a block of its own colour.
class BlockFrames : public FrameSource {
public:
    BlockFrames(int w, int h) : w_(w), h_(h) {}
    bool picture(int index, project::PixelBuffer& out) override {
        out = project::PixelBuffer(w_, h_, 0xFFFFFF);
        for (int y = 20; y < 40; ++y)
            for (int x = 20; x < 60; ++x) out.row(y)[x] = 0x102030u * std::uint32_t(index + 1);
        return true;
    }

private:
    int w_, h_;
};

class PointerMovieTest : public ::testing::Test {
protected:
    test::TempHome home;
    test::RecordingPrompts prompts;
    project::Project project;

    void SetUp() override {
        project.frameWidth = 160;
        project.frameHeight = 120;
        auto& t = project.pointerShapes;
        t.present = true;
        t.width = t.height = 8;
        project::PointerShape s;
        s.handle = 7;
        s.hotX = 1;
        s.hotY = 2;
        s.pixels.assign(64, platform::kPointerTransparent);
        for (int i = 0; i < 8; ++i) s.pixels[std::size_t(i) * 8 + i] = 0x000000; // a diagonal
        t.shapes.push_back(s);
    }
    project::Frame& add(int time, int x, int y) {
        project::CaptureContext c;
        c.width = project.frameWidth;
        c.height = project.frameHeight;
        project::FrameNode& n = project.appendCapturedFrame(c);
        n.frame.displayTime = n.frame.recordedTime = time;
        n.frame.pointerHandle = 7;
        n.frame.pointerX = x;
        n.frame.pointerY = y;
        n.frame.pointerEndX = n.frame.pointerEndY = project::kNoPointerEnd;
        return n.frame;
    }
    swf::SwfFile build(MovieOptions o, BuildResult* result = nullptr) {
        BlockFrames frames(project.frameWidth, project.frameHeight);
        BuildRequest r;
        r.outputPath = home.path("movie.swf");
        r.options = o;
        BuildResult b = buildMovie(project, frames, prompts, r);
        EXPECT_EQ(b.outcome, BuildResult::Outcome::Written) << b.error;
        if (result) *result = b;
        return test::parsedFile(b.files.movie);
    }
};

// Translations of the placements whose matrix scales by `scale`, in order.
std::vector<std::pair<int, int>> placedAt(const swf::SwfFile& f, int scale) {
    std::vector<std::pair<int, int>> out;
    for (const auto& p : test::tagsOf<swf::PlaceObject2>(f.tags))
        if (p.matrix && p.matrix->scale && (*p.matrix->scale)[0].raw == scale)
            out.push_back({p.matrix->translateX.value, p.matrix->translateY.value});
    return out;
}

bool contains(const std::vector<std::pair<int, int>>& v, std::pair<int, int> p) {
    return std::find(v.begin(), v.end(), p) != v.end();
}

TEST_F(PointerMovieTest, ThePointerAndItsShadowShowAtTheRecordedPositionsAndMoveInShortFrames) {
    add(100, 10, 8);                         // 1 s: too long to move in
    project::Frame& moving = add(20, 20, 8); // 200 ms over 4 SWF frames
    moving.pointerEndX = 10;
    moving.pointerEndY = 8;
    add(50, 10, 8);
    const swf::SwfFile f = build({});
    const auto at = placedAt(f, 20 << 16);
    // Picture at x * 20 twips, shadow at (x + 2, y + 1).
    for (auto p : {std::pair{200, 160}, std::pair{240, 180}, std::pair{400, 160}, std::pair{440, 180}})
        EXPECT_TRUE(contains(at, p)) << p.first << "," << p.second;
    // The three steps between 20 and 10: 17.5, 15, 12.5 pixels.
    for (int x : {350, 300, 250}) EXPECT_TRUE(contains(at, {x, 160})) << x;
    // The pointer bitmaps are 32-bit with alpha.
    int withAlpha = 0;
    for (const auto& b : test::tagsOf<swf::DefineBitsLossless>(f.tags))
        if (b.format == 5 && b.alpha && b.width == 8 && b.height == 8) ++withAlpha;
    EXPECT_EQ(withAlpha, 2); // picture and shadow; no halo unless asked
}

TEST_F(PointerMovieTest, AStopFrameHoldsItsPointerWhereItWasRecorded) {
    add(50, 10, 8);
    project::Frame& stop = add(20, 20, 8);
    stop.displayTime = 0; // halts on its second SWF frame, which must not show a step of the motion
    stop.pointerEndX = 10;
    stop.pointerEndY = 8;
    add(50, 10, 8);
    const auto at = placedAt(build({}), 20 << 16);
    EXPECT_TRUE(contains(at, {400, 160}));
    for (int x : {350, 300, 250}) EXPECT_FALSE(contains(at, {x, 160})) << x;
}

TEST_F(PointerMovieTest, HiddenAndSwitchedOffPointersAreNotPlaced) {
    add(50, 10, 8).pointerHidden = 1;
    add(50, 30, 8).pointerSystemHidden = 1;
    swf::SwfFile f = build({});
    // Only the pictures, which sit at the origin.
    for (auto p : placedAt(f, 20 << 16)) EXPECT_TRUE(p.first == 0 && p.second == 0) << p.first;

    MovieOptions o;
    o.pointerHalo = true;
    o.showHiddenActivity = true;
    f = build(o);
    // Only the system-hidden pointer's halo: r = (8 + 8) / 3 = 5 pixels up and left.
    EXPECT_TRUE(contains(placedAt(f, 20 << 16), {(30 - 5) * 20, (8 - 5) * 20}));
    EXPECT_FALSE(contains(placedAt(f, 20 << 16), {600, 160}));
}

TEST_F(PointerMovieTest, APressFlashesAtTheHotSpot) {
    add(50, 10, 8).clickDown = 1;
    add(50, 10, 8);
    add(50, 30, 8).clickDown = 1;
    MovieOptions o;
    o.clickFlashSize = 5;
    const swf::SwfFile f = build(o);
    std::vector<std::pair<int, int>> flashes;
    std::optional<std::uint16_t> flashDepth;
    for (const auto& p : test::tagsOf<swf::PlaceObject2>(f.tags))
        if (p.name && *p.name == "mouseflash") {
            ASSERT_TRUE(p.matrix);
            flashes.push_back({p.matrix->translateX.value, p.matrix->translateY.value});
            if (!flashDepth) flashDepth = p.depth;
        }
    EXPECT_EQ(flashes, (std::vector<std::pair<int, int>>{{11 * 20, 10 * 20}, {31 * 20, 10 * 20}}));
    // The second press takes the first flash away before it starts its own.
    int removed = 0;
    for (const auto& r : test::tagsOf<swf::RemoveObject>(f.tags))
        removed += flashDepth && r.depth == *flashDepth;
    EXPECT_EQ(removed, 1);
    const auto sprites = test::tagsOf<swf::DefineSprite>(f.tags);
    ASSERT_FALSE(sprites.empty());
    bool found = false;
    for (const auto& s : sprites) found = found || s.frameCount == 6; // five circles, then empty
    EXPECT_TRUE(found);
}

TEST_F(PointerMovieTest, ATransitionalFadeBringsNewRectanglesInOverFourFrames) {
    add(50, 10, 8);
    project::Frame& f2 = add(50, 10, 8);
    f2.frameEffect = 5;
    f2.frameEffectTime = 20; // 4 SWF frames
    MovieOptions o;
    o.showPointer = false;
    const swf::SwfFile f = build(o);
    std::vector<int> alphas;
    for (const auto& p : test::tagsOf<swf::PlaceObject2>(f.tags))
        if (p.colorTransform && p.colorTransform->hasMult) alphas.push_back(p.colorTransform->mult[3]);
    EXPECT_EQ(alphas, (std::vector<int>{64, 128, 192, 256}));
}

TEST_F(PointerMovieTest, OpeningAndClosingTransitionsTakeTheirFrames) {
    add(50, 10, 8);
    add(50, 10, 8);
    BuildResult plain, both;
    build({}, &plain);
    EXPECT_EQ(plain.frameStart[2], 10);
    MovieOptions o;
    o.zoomInAtStart = o.fadeInAtStart = true;
    o.zoomOutAtEnd = o.fadeOutAtEnd = true;
    const swf::SwfFile f = build(o, &both);
    EXPECT_EQ(both.frameStart[2], 32); // 26 steps + 5, then the frame's last
    // The second frame ends at its own time or one frame later; the closing adds 26 + 20.
    EXPECT_EQ(both.swfFrames, 33 + 26 + 20);
    EXPECT_EQ(f.header.frameCount, both.swfFrames);
}

TEST_F(PointerMovieTest, FrameEffectsDrawColourLayersAndSweepingBands) {
    project::Frame& a = add(100, 10, 8);
    a.frameEffect = 1;
    a.frameEffectTime = 20; // 4 layers
    project::Frame& b = add(100, 10, 8);
    b.frameEffect = 3;
    b.frameEffectTime = 0; // nothing, rather than a division by zero
    project::Frame& c = add(100, 10, 8);
    c.frameEffect = 2;
    c.frameEffectTime = 15; // 3 layers in the last frames
    MovieOptions o;
    o.showPointer = false;
    o.effectColour = 0x00FF00;
    BuildResult r;
    const swf::SwfFile f = build(o, &r);
    std::vector<int> alphas;
    for (const auto& s : test::tagsOf<swf::DefineShape3>(f.tags))
        for (const auto& fill : s.shape.fills)
            if (fill.type == swf::FillType::Solid && fill.color.g == 255 && fill.color.r == 0)
                alphas.push_back(fill.color.a);
    EXPECT_EQ(alphas, (std::vector<int>{255, 192, 128, 64, 0, 127, 255}));
    // The fade out starts three SWF frames before the third frame ends.
    EXPECT_EQ(r.fadeStart[3], r.swfFrames - 3);
    EXPECT_EQ(r.fadeStart[1], 0);
    EXPECT_EQ(r.fadeStart[2], 0);
}

} // namespace
} // namespace tavlo::movie
