#include "capture/recording_control.h"

#include "core/file_util.h"
#include "project/frame_store.h"
#include "project/project_file.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/synthetic_scene.h"
#include "tests/support/temp_home.h"

#include <dirent.h>
#include <gtest/gtest.h>

namespace tavlo::capture {
namespace {

int captureFilesIn(const std::string& folder) {
    int n = 0;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name.rfind("DMO", 0) == 0 || name.rfind("DIX", 0) == 0) ++n;
        }
        closedir(d);
    }
    return n;
}

struct Rig {
    test::TempHome home;
    test::SyntheticScene scene{200, 120, 5};
    test::RecordingPrompts ui;
    project::Project project;
    RecordingSetup setup;
    std::unique_ptr<RecordingControl> control;
    Rig() {
        setup.tempFolder = home.root();
        setup.capture.captureRate = 10;
        setup.capture.recordPointer = false;
        control = std::make_unique<RecordingControl>(project, ui, scene, &scene, &scene, &scene);
    }
    void run(int ms) {
        for (int t = 0; t < ms; t += 50) {
            scene.advance(50);
            control->tick();
        }
    }
};

TEST(RecordingControl, RecordingKeptAsAProjectFileThatLoads) {
    Rig r;
    r.scene.fillAt(120, {10, 10, 50, 50}, 0x00FF0000);
    r.scene.pointerPath(0, 20, 20, 800, 150, 100);
    r.scene.fillAt(600, {100, 60, 180, 110}, 0x000000FF);
    std::string error;
    ASSERT_TRUE(r.control->start(r.setup, error)) << error;
    EXPECT_EQ(captureFilesIn(r.home.root()), 2);
    r.run(1000);
    r.control->requestStop();
    EXPECT_TRUE(r.control->stopRequested());
    ASSERT_TRUE(r.control->stop());
    EXPECT_FALSE(r.control->stop()); // a stop runs once
    const int frames = r.project.frameCount();
    ASSERT_GT(frames, 3);

    const std::string path = r.home.path("lesson.tavlo");
    ASSERT_TRUE(r.control->keep(path)) << (r.ui.messages().empty() ? "" : r.ui.messages().back());
    EXPECT_TRUE(fileExists(path));
    EXPECT_EQ(captureFilesIn(r.home.root()), 0); // the capture files are gone once saved

    project::Project loaded;
    project::LoadOptions readOnly;
    readOnly.readOnly = true;
    ASSERT_TRUE(project::load(r.ui, path, loaded, readOnly));
    EXPECT_EQ(loaded.frameCount(), frames);
    EXPECT_EQ(loaded.frameWidth, 200);
    EXPECT_EQ(loaded.frameHeight, 120);
    for (const auto& f : loaded.frames()) EXPECT_EQ(f->frame.recordedTime % 5, 0); // tidied
    EXPECT_EQ(loaded.head()->frame.chapterMark, 1);
}

TEST(RecordingControl, PausedTimeIsCountedInNoFrame) {
    Rig r;
    std::string error;
    ASSERT_TRUE(r.control->start(r.setup, error)) << error;
    r.run(500);
    r.control->requestTogglePause();
    r.run(10000); // ten seconds paused: nothing grabbed, no time given
    r.control->requestTogglePause();
    r.run(500);
    ASSERT_TRUE(r.control->stop());
    int total = 0;
    for (const auto& f : r.project.frames()) total += f->frame.recordedTime;
    EXPECT_GE(total, 90);
    EXPECT_LE(total, 110);
    r.control->discard();
    EXPECT_EQ(captureFilesIn(r.home.root()), 0);
}

TEST(RecordingControl, ARecordingContinuedAfterItsStopIsKeptWhole) {
    Rig r;
    r.scene.fillAt(200, {0, 0, 40, 40}, 0x00FF0000);
    r.scene.fillAt(2700, {50, 50, 90, 90}, 0x0000FF00); // after the pause in the finish dialog
    std::string error;
    ASSERT_TRUE(r.control->start(r.setup, error)) << error;
    r.run(500);
    r.control->requestStop();
    r.run(50);
    ASSERT_TRUE(r.control->stop());
    const int before = r.project.frameCount();
    r.scene.advance(2000); // the user thinks it over
    ASSERT_TRUE(r.control->continueRecording());
    EXPECT_FALSE(r.control->stopRequested());
    r.run(500);
    ASSERT_TRUE(r.control->stop());
    EXPECT_GT(r.project.frameCount(), before);
    int total = 0;
    for (const auto& f : r.project.frames()) total += f->frame.recordedTime;
    EXPECT_LT(total, 150); // the two seconds in the dialog are in no frame
    const std::string path = r.home.path("continued.tavlo");
    ASSERT_TRUE(r.control->keep(path));
    project::Project loaded;
    project::LoadOptions o;
    o.readOnly = true;
    ASSERT_TRUE(project::load(r.ui, path, loaded, o));
    EXPECT_EQ(loaded.frameCount(), r.project.frameCount());
}

TEST(RecordingControl, ContinuousRecordingKeepsAboutTheLastLoop) {
    Rig r;
    r.setup.capture.continuous = true;
    r.setup.capture.loopMinutes = 1; // segments of 6000 / 19 = 315 hundredths, 20 in rotation
    for (int t = 100; t < 90000; t += 700)
        r.scene.fillAt(t, {(t / 700) % 150, 10, (t / 700) % 150 + 30, 40}, 0x00010203u * (t % 97));
    for (int t = 0; t < 90000; t += 1000)
        r.scene.pointerPath(t, 10, 10, t + 900, 190, 110); // samples between grabs
    std::string error;
    ASSERT_TRUE(r.control->start(r.setup, error)) << error;
    // A minute and a half, with an extra pointer sample between ticks, as the pointer thread takes
    // them: a grab then has samples that become frames of their own before the screen frame.
    for (int t = 0; t < 90000; t += 50) {
        r.scene.advance(25);
        r.control->session()->sampler()->sampleOnce();
        r.scene.advance(25);
        r.control->tick();
    }
    ASSERT_TRUE(r.control->stop());
    const int recorded = r.project.frameCount();
    const std::string path = r.home.path("loop.tavlo");
    ASSERT_TRUE(r.control->keep(path));
    EXPECT_EQ(captureFilesIn(r.home.root()), 0); // segments and joined files are gone

    project::Project loaded;
    project::LoadOptions o;
    o.readOnly = true;
    ASSERT_TRUE(project::load(r.ui, path, loaded, o));
    EXPECT_LT(loaded.frameCount(), recorded);
    int total = 0;
    for (const auto& f : loaded.frames()) total += f->frame.recordedTime;
    EXPECT_GT(total, 19 * 315 - 400); // about the last loop: the older segments were overwritten
    EXPECT_LT(total, 20 * 315 + 400);
    EXPECT_EQ(loaded.head()->frame.keyImage, 1);

    // The first kept frame is a whole picture, not a pointer frame before the key image.
    project::FrameStore first(loaded);
    ASSERT_TRUE(first.open(error)) << error;
    project::PixelBuffer head;
    ASSERT_TRUE(first.framePicture(0, head));
    EXPECT_EQ(std::count(head.pixels.begin(), head.pixels.end(), 0x00FFFFFFu), 0); // no background showing

    // Every kept frame decodes to the screen of its time.
    project::FrameStore store(loaded);
    ASSERT_TRUE(store.open(error)) << error;
    project::PixelBuffer pic;
    const auto& grabs = r.scene.grabs();
    for (int i = 0; i < loaded.frameCount(); ++i) {
        auto chunk = store.chunk(*loaded.frames()[std::size_t(i)]);
        ASSERT_TRUE(chunk) << "frame " << i;
        EXPECT_FALSE(chunk->failed) << "frame " << i;
    }
    ASSERT_TRUE(store.framePicture(loaded.frameCount() - 1, pic));
    EXPECT_TRUE((pic.pixels == grabs.back().pixels) || [&] {
        for (std::size_t i = 0; i < pic.pixels.size(); ++i)
            if ((pic.pixels[i] & 0x00FEFFFF) != (grabs.back().pixels[i] & 0x00FEFFFF)) return false;
        return true;
    }());
}

TEST(RecordingControl, FullDiskStopsWithItsMessage) {
    Rig r;
    r.setup.capture.freeDiskBytes = 6'553'600 + 10;
    r.scene.noiseAt(100, {0, 0, 200, 120});
    std::string error;
    ASSERT_TRUE(r.control->start(r.setup, error));
    r.run(300);
    EXPECT_TRUE(r.control->stopRequested());
    r.control->stop();
    EXPECT_EQ(r.ui.messages(), std::vector<std::string>{"Disk full - unable to continue recording.     "});
    r.control->discard();
}

TEST(RecordingControl, CaptureFilesThatCannotBeMadeEndTheStart) {
    Rig r;
    r.setup.tempFolder = r.home.path("no/such/folder");
    std::string error;
    EXPECT_FALSE(r.control->start(r.setup, error));
    EXPECT_EQ(error, "Unable to open capture file");
}

} // namespace
} // namespace tavlo::capture
