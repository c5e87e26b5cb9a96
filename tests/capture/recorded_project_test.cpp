// A recording saved as a project file and opened again: every frame's picture, painted from the
// project file by the frame store, is the screen that was grabbed for it, whether the frames are
// visited in order, backwards or at random.
#include "capture/recording_control.h"

#include "project/chunk_recoder.h"
#include "project/frame_store.h"
#include "project/project_file.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/synthetic_scene.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>
#include <random>

namespace tavlo::capture {
namespace {

struct Saved {
    std::vector<std::vector<std::uint32_t>> truth;
    project::Project project;
};

Saved recordAndReopen(const test::TempHome& home, bool compressed) {
    test::SyntheticScene scene(160, 100, 9);
    scene.fillAt(100, {5, 5, 60, 40}, 0x00FF8040);
    scene.noiseAt(300, {70, 20, 150, 90});
    scene.scrollAt(500, {0, 60, 160, 100}, 6);
    scene.fillAt(650, {0, 0, 160, 100}, 0x00102030);
    scene.fillAt(800, {20, 20, 21, 21}, 0x00FFFFFF);
    test::RecordingPrompts ui;
    project::Project recorded;
    RecordingControl control(recorded, ui, scene, nullptr, nullptr, &scene);
    RecordingSetup setup;
    setup.tempFolder = home.root();
    setup.capture.captureRate = 10;
    setup.capture.compressed = compressed;
    std::string error;
    EXPECT_TRUE(control.start(setup, error)) << error;
    for (int t = 0; t < 1000; t += 50) {
        scene.advance(50);
        control.tick();
    }
    EXPECT_TRUE(control.stop());
    const std::string path = home.path(compressed ? "c.tavlo" : "r.tavlo");
    EXPECT_TRUE(control.keep(path));

    Saved s;
    const std::vector<std::uint32_t>* prev = nullptr;
    for (const auto& g : scene.grabs()) {
        if (!prev || *prev != g.pixels) s.truth.push_back(g.pixels);
        prev = &g.pixels;
    }
    // The stop's last forced capture repeats the last picture as a frame of its own.
    while (s.truth.size() < std::size_t(recorded.frameCount())) s.truth.push_back(s.truth.back());
    project::LoadOptions o;
    o.readOnly = true;
    EXPECT_TRUE(project::load(ui, path, s.project, o));
    return s;
}

bool matches(const project::PixelBuffer& got, const std::vector<std::uint32_t>& want, bool compressed) {
    if (got.pixels.size() != want.size()) return false;
    double se = 0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        if (!compressed) {
            if ((got.pixels[i] & 0x00FEFFFF) != (want[i] & 0x00FEFFFF)) return false; // red's low bit
            continue;
        }
        for (int sh = 0; sh < 24; sh += 8) {
            double d = double((got.pixels[i] >> sh) & 0xFF) - double((want[i] >> sh) & 0xFF);
            se += d * d;
        }
    }
    return !compressed || se / (want.size() * 3.0) < 40.0; // JPEG blocks: above 32 dB
}

TEST(RecordedProject, EveryFramePaintsToItsScreenInAnyOrder) {
    for (bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed" : "run-length");
        test::TempHome home;
        Saved s = recordAndReopen(home, compressed);
        const int n = s.project.frameCount();
        ASSERT_GE(n, 5);
        ASSERT_EQ(std::size_t(n), s.truth.size());
        project::FrameStore store(s.project);
        std::string error;
        ASSERT_TRUE(store.open(error)) << error;
        project::PixelBuffer pic;
        for (int i = 0; i < n; ++i) {
            ASSERT_TRUE(store.framePicture(i, pic));
            EXPECT_TRUE(matches(pic, s.truth[std::size_t(i)], compressed)) << "forwards " << i;
        }
        for (int i = n - 1; i >= 0; --i) {
            ASSERT_TRUE(store.framePicture(i, pic));
            EXPECT_TRUE(matches(pic, s.truth[std::size_t(i)], compressed)) << "backwards " << i;
        }
        std::mt19937 rng(4);
        for (int k = 0; k < 20; ++k) {
            int i = int(rng() % unsigned(n));
            ASSERT_TRUE(store.framePicture(i, pic));
            EXPECT_TRUE(matches(pic, s.truth[std::size_t(i)], compressed)) << "random " << i;
        }
        EXPECT_LE(store.decodedPixels(), store.budgetPixels());
    }
}

} // namespace
} // namespace tavlo::capture

namespace tavlo::capture {
namespace {

// A run-length recording saved again with compression: every frame still shows its screen.
TEST(RecordedProject, CompressingSaveKeepsEveryFrame) {
    test::TempHome home;
    Saved s = recordAndReopen(home, false);
    test::RecordingPrompts ui;
    ui.answers = {Answer::Yes}; // "Would you like to compress the project to save disk space?"
    project::Project open;
    ASSERT_TRUE(project::load(ui, home.path("r.tavlo"), open));
    const std::string target = home.path("compressed.tavlo");
    project::SaveOptions o;
    o.recoder = project::compressingRecoder(open.frameWidth, open.frameHeight);
    ASSERT_TRUE(project::saveAsNewFile(ui, open, target, o))
        << (ui.messages().empty() ? "" : ui.messages().back());

    project::Project p;
    project::LoadOptions ro;
    ro.readOnly = true;
    ASSERT_TRUE(project::load(ui, target, p, ro));
    EXPECT_TRUE(p.compressedImages);
    ASSERT_EQ(std::size_t(p.frameCount()), s.truth.size());
    project::FrameStore store(p);
    std::string error;
    ASSERT_TRUE(store.open(error)) << error;
    project::PixelBuffer pic;
    for (int i = 0; i < p.frameCount(); ++i) {
        EXPECT_EQ(p.frames()[std::size_t(i)]->frame.chunkCompressed, 1);
        ASSERT_TRUE(store.framePicture(i, pic));
        EXPECT_TRUE(matches(pic, s.truth[std::size_t(i)], true)) << "frame " << i;
    }
}

// A compressed recording whose compression is cancelled on the way: the frames after it are
// stored in the fast form, and the project must say so frame by frame to paint them.
TEST(RecordedProject, CancelledCompressionLeavesEveryFrameReadable) {
    test::TempHome home;
    test::SyntheticScene scene(160, 100, 2);
    for (int t = 100; t < 2000; t += 150) scene.noiseAt(t, {(t / 150) % 100, 10, (t / 150) % 100 + 50, 60});
    test::RecordingPrompts ui;
    project::Project recorded;
    RecordingControl control(recorded, ui, scene, nullptr, nullptr, &scene);
    RecordingSetup setup;
    setup.tempFolder = home.root();
    setup.capture.captureRate = 10;
    setup.capture.compressed = true;
    std::string error;
    ASSERT_TRUE(control.start(setup, error)) << error;
    for (int t = 0; t < 2000; t += 50) {
        scene.advance(50);
        control.tick();
        if (t == 1000) control.writer()->cancelCompression(); // as the progress window's Cancel does
    }
    ASSERT_TRUE(control.stop());
    const std::string path = home.path("cancelled.tavlo");
    ASSERT_TRUE(control.keep(path));
    project::Project p;
    project::LoadOptions o;
    o.readOnly = true;
    ASSERT_TRUE(project::load(ui, path, p, o));
    int fast = 0;
    for (const auto& f : p.frames()) fast += f->frame.chunkCompressed == 0;
    EXPECT_GT(fast, 0);
    project::FrameStore store(p);
    ASSERT_TRUE(store.open(error));
    for (int i = 0; i < p.frameCount(); ++i) {
        auto chunk = store.chunk(*p.frames()[std::size_t(i)]);
        ASSERT_TRUE(chunk);
        EXPECT_FALSE(chunk->failed) << "frame " << i;
    }
}

} // namespace
} // namespace tavlo::capture

namespace tavlo::capture {
namespace {

// Pan mode: the area follows the pointer over the monitor; the project keeps the whole monitor
// as the key image's background and each frame's place in it, and the frame store shows every
// frame as the area of the screen it was grabbed from.
TEST(RecordedProject, PanRecordingShowsTheAreaWhereItWas) {
    test::TempHome home;
    test::SyntheticScene scene(400, 240, 11);
    // A screen that differs everywhere, so a misplaced area cannot look right by chance.
    scene.noiseAt(0, {0, 0, 400, 240});
    scene.pointerPath(0, 100, 100, 400, 395, 120); // off to the right: the area follows
    scene.advance(1);
    test::RecordingPrompts ui;
    project::Project recorded;
    RecordingControl control(recorded, ui, scene, &scene, nullptr, &scene);
    RecordingSetup setup;
    setup.tempFolder = home.root();
    setup.capture.mode = 1;
    setup.capture.pan = true;
    setup.capture.frameWindow = {37, 37, 163, 163}; // a 120 × 120 area at (40, 40)
    setup.capture.captureRate = 20;
    setup.capture.recordPointer = false;
    std::string error;
    ASSERT_TRUE(control.start(setup, error)) << error;
    for (int t = 0; t < 1500; t += 25) {
        scene.advance(25);
        control.tick();
    }
    EXPECT_GT(control.session()->area().left, 40); // it moved
    ASSERT_TRUE(control.stop());
    const std::string path = home.path("pan.tavlo");
    ASSERT_TRUE(control.keep(path));

    project::Project p;
    project::LoadOptions o;
    o.readOnly = true;
    ASSERT_TRUE(project::load(ui, path, p, o));
    ASSERT_TRUE(p.head()->data.panBackground.has_value());
    EXPECT_EQ(p.head()->frame.keyImage, 1);
    project::FrameStore store(p);
    ASSERT_TRUE(store.open(error)) << error;
    project::PixelBuffer pic;
    int moved = 0;
    for (int i = 0; i < p.frameCount(); ++i) {
        ASSERT_TRUE(store.framePicture(i, pic));
        const auto& f = p.frames()[std::size_t(i)]->frame;
        const int ox = f.captureOffset[0], oy = f.captureOffset[1];
        moved += ox != 40;
        // The static noise screen: the frame shows the screen's pixels at its offset.
        bool same = true;
        for (int y = 0; y < 120 && same; y += 7)
            for (int x = 0; x < 120 && same; x += 7)
                same = (pic.row(y)[x] & 0x00FEFFFF) ==
                       (scene.picture()[std::size_t(y + oy) * 400 + x + ox] & 0x00FEFFFF);
        EXPECT_TRUE(same) << "frame " << i << " at " << ox << "," << oy;
    }
    EXPECT_GT(moved, 0);
}

} // namespace
} // namespace tavlo::capture
