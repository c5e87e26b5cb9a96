#include "app/gui/recorder_model.h"

#include <gtest/gtest.h>

namespace tavlo::gui {
namespace {

TEST(RecorderModel, ModesMonitorsAndPan) {
    AppState state;
    RecorderModel m(state, {{0, 0, 1920, 1080}, {1920, 0, 3200, 1024}}, {0, 0, 3200, 1080});
    EXPECT_TRUE(m.monitorListShown());
    EXPECT_FALSE(m.captureFrameShown());
    EXPECT_EQ(m.title(), "Tavlo Studio 1920x1080");
    m.chooseMonitor(2);
    EXPECT_EQ(m.title(), "Tavlo Studio 1280x1024");
    m.setMode(1);
    EXPECT_TRUE(m.panAvailable());
    EXPECT_FALSE(m.monitorListShown());
    EXPECT_EQ(m.title(), "Tavlo Studio v8.60 - F1 help");
    m.setPan(true);
    EXPECT_TRUE(m.pan());
    m.chooseMonitor(1); // choosing a monitor means the whole monitor again
    EXPECT_EQ(m.mode(), 0);
    EXPECT_FALSE(m.pan());
}

TEST(RecorderModel, CommandLineAreaAndPan) {
    AppState state;
    state.capture.pan = true;
    RecorderModel m(state, {{0, 0, 1280, 800}}, {0, 0, 1280, 800});
    CommandLine cl;
    cl.commandLineMode = true;
    cl.area = Rect{20, 10, 400, 300};
    m.applyCommandLine(cl);
    EXPECT_EQ(m.mode(), 1);
    EXPECT_EQ(m.captureFrame(), (Rect{20, 10, 400, 300}));
    EXPECT_FALSE(m.pan()); // command-line mode without /p: pan off
}

TEST(RecorderModel, CaptureFrameStaysOnTheScreenAndIsNeverTiny) {
    const Rect desktop{0, 0, 1280, 800};
    EXPECT_EQ(RecorderModel::clampCaptureFrame({100, 100, 120, 300}, desktop), (Rect{100, 100, 220, 300}));
    EXPECT_EQ(RecorderModel::clampCaptureFrame({1200, 700, 1500, 900}, desktop), (Rect{980, 600, 1280, 800}));
    EXPECT_EQ(RecorderModel::clampCaptureFrame({-50, -20, 5000, 100}, desktop), (Rect{0, 0, 1280, 120}));
}

TEST(RecorderModel, OpeningDispatchesOnTheFileName) {
    using K = RecorderModel::OpenKind;
    struct Case {
        const char* path;
        bool recovery;
        K kind;
    } cases[] = {
        {"/p/demo.tavlo", false, K::Load},
        {"/p/DEMO.TAVLO", false, K::Load},
        {"/tmp/DMO1234.tmp", false, K::Load},
        {"/p/clip.mp4", false, K::ImportVideo},
        {"/p/notes.txt", false, K::ImportVideo},
        {"/p/demo.tavlo", true, K::Recover},
        {"x", false, K::ImportVideo},
    };
    for (const Case& c : cases) EXPECT_EQ(RecorderModel::openKind(c.path, c.recovery), c.kind) << c.path;
}

TEST(RecorderModel, RecentFilesNewestFirstNumberedDown) {
    AppState state;
    RecorderModel m(state, {}, {0, 0, 800, 600});
    EXPECT_TRUE(m.recentMenuTexts().empty());
    for (int i = 1; i <= 7; ++i) m.opened("/p/demo" + std::to_string(i) + ".tavlo");
    auto texts = m.recentMenuTexts();
    ASSERT_EQ(texts.size(), 6u); // seven opened, the oldest dropped
    EXPECT_EQ(texts[0], "&6 demo7.tavlo");
    EXPECT_EQ(texts[5], "&1 demo2.tavlo");
    EXPECT_EQ(m.recentPath(0), "/p/demo7.tavlo");
    m.opened("/p/demo3.tavlo");
    EXPECT_EQ(m.recentPath(0), "/p/demo3.tavlo");
    EXPECT_EQ(m.recentPath(9), "");
    EXPECT_EQ(RecorderModel::editButtonLabel(true), "Recover Demo");
    EXPECT_EQ(RecorderModel::editButtonLabel(false), "编辑演示");
}

} // namespace
} // namespace tavlo::gui
