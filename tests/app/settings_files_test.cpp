#include "app/application.h"
#include "app/custom_defaults.h"
#include "app/state_file.h"

#include "core/file_util.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

namespace tavlo {
namespace {

TEST(StateFile, RoundTripsEveryItem) {
    AppState s;
    s.recorderWindow = {10, 20, 330, 260};
    s.capture = {1, 2, true, {5, 6, 805, 606}};
    s.recordSound = true;
    s.recording = {25, 60, false, true, true, 55, 12};
    for (int i = 0; i < 7; ++i) addRecentFile(s, "/p/demo" + std::to_string(i) + ".tavlo");
    s.outputName = "lesson 1";
    s.outputFolder = "/home/u/out";
    s.windows = {{"editor", {1, 2, 3, 4}}, {"studio", {5, 6, 7, 8}}};
    s.settings.flashEffects[2] = 7; // a settings-block item
    s.annotationDefaults.hotspotThickness = 9;
    AppConfig c;
    c.swfDelayScale = 1.5;
    c.playbackSpeed = 0.75;
    c.zoomBeforeFrame = false;
    c.largeControls = true;
    c.useSwfContainer = true;

    std::string bytes = formatState(s, c);
    EXPECT_EQ(bytes.substr(0, 4), "866\n");
    AppState s2;
    AppConfig c2;
    ASSERT_TRUE(parseState(bytes, s2, c2));
    EXPECT_EQ(s2.recorderWindow, s.recorderWindow);
    EXPECT_EQ(s2.capture.mode, 1);
    EXPECT_EQ(s2.capture.monitor, 2);
    EXPECT_TRUE(s2.capture.pan);
    EXPECT_EQ(s2.capture.area, s.capture.area);
    EXPECT_TRUE(s2.recordSound);
    EXPECT_EQ(s2.recording.captureRate, 25);
    EXPECT_EQ(s2.recording.pointerRate, 60);
    EXPECT_FALSE(s2.recording.recordPointer);
    EXPECT_TRUE(s2.recording.smoothPointer && s2.recording.compressed);
    EXPECT_EQ(s2.recording.quality, 55);
    EXPECT_EQ(s2.recording.loopMinutes, 12);
    EXPECT_EQ(s2.recentFiles, s.recentFiles);
    EXPECT_EQ(s2.outputName, "lesson 1");
    EXPECT_EQ(s2.outputFolder, "/home/u/out");
    EXPECT_EQ(s2.windows, s.windows);
    EXPECT_EQ(s2.settings.flashEffects[2], 7);
    EXPECT_EQ(s2.annotationDefaults.hotspotThickness, 9);
    EXPECT_DOUBLE_EQ(c2.swfDelayScale, 1.5);
    EXPECT_DOUBLE_EQ(c2.playbackSpeed, 0.75);
    EXPECT_FALSE(c2.zoomBeforeFrame);
    EXPECT_TRUE(c2.largeControls);
    EXPECT_TRUE(c2.useSwfContainer);
}

TEST(StateFile, RecentListKeepsSixNewestLast) {
    AppState s;
    for (int i = 1; i <= 7; ++i) addRecentFile(s, "p" + std::to_string(i));
    EXPECT_EQ(s.recentFiles, (std::vector<std::string>{"p2", "p3", "p4", "p5", "p6", "p7"}));
    addRecentFile(s, "p3");
    EXPECT_EQ(s.recentFiles.back(), "p3");
    EXPECT_EQ(s.recentFiles.size(), 6u);
}

TEST(StateFile, UnreadableFilesLeaveTheDefaults) {
    AppState fresh;
    AppConfig freshConfig;
    for (std::string bytes :
         {std::string(""), std::string("867\n1\n"), std::string("garbage"), std::string("99\n")}) {
        SCOPED_TRACE(bytes);
        AppState s;
        AppConfig c;
        EXPECT_FALSE(parseState(bytes, s, c));
        EXPECT_EQ(s.recorderWindow, fresh.recorderWindow);
        EXPECT_EQ(c.playbackSpeed, freshConfig.playbackSpeed);
    }
    // A damaged tail keeps what came before and the defaults after.
    std::string good = formatState(AppState{}, AppConfig{});
    AppState s;
    AppConfig c;
    EXPECT_TRUE(parseState("866\n1\n2\n3\n4\nbroken\n", s, c));
    EXPECT_EQ(s.recorderWindow, (Rect{1, 2, 3, 4}));
    EXPECT_EQ(s.capture.mode, 0);
    EXPECT_TRUE(s.recentFiles.empty());
}

TEST(StateFile, OlderFilesLackLaterItems) {
    AppState s;
    AppConfig c;
    c.largeControls = true; // "大控件" arrived with 811
    std::string bytes = formatState(s, c);
    bytes.replace(0, 3, "800");
    AppConfig back;
    AppState sback;
    ASSERT_TRUE(parseState(bytes, sback, back));
    EXPECT_FALSE(back.largeControls);
}

TEST(CustomDefaults, RoundTripAndVersionGates) {
    CustomDefaults d;
    d.controlBarColours = {1, 2, 3, 4, 5, 0x00FFFFFF};
    d.playbackSpeed = 2.0;
    d.swfDelayScale = 0.5;
    d.showAllTime = true;
    d.largeControls = true;
    d.useSwfContainer = true;
    std::string bytes = formatCustomDefaults(d);
    EXPECT_EQ(bytes.substr(0, 4), "866\n");
    CustomDefaults back;
    ASSERT_TRUE(parseCustomDefaults(bytes, back));
    EXPECT_EQ(back.controlBarColours, d.controlBarColours);
    EXPECT_DOUBLE_EQ(back.playbackSpeed, 2.0);
    EXPECT_DOUBLE_EQ(back.swfDelayScale, 0.5);
    EXPECT_TRUE(back.showAllTime && back.largeControls && back.useSwfContainer);

    CustomDefaults truncated;
    EXPECT_FALSE(parseCustomDefaults(bytes.substr(0, 10), truncated));
    EXPECT_EQ(truncated.controlBarColours, CustomDefaults{}.controlBarColours);
}

TEST(CustomDefaults, SaveAsksAndReportsFailure) {
    test::TempHome home;
    test::RecordingPrompts ui;
    CustomDefaults d;
    ui.answers = {Answer::No};
    EXPECT_FALSE(saveCustomDefaults(ui, home.path("TavloCustom.ini"), d));
    EXPECT_FALSE(fileExists(home.path("TavloCustom.ini")));
    ui.answers = {Answer::Yes};
    EXPECT_TRUE(saveCustomDefaults(ui, home.path("TavloCustom.ini"), d));
    EXPECT_TRUE(fileExists(home.path("TavloCustom.ini")));
    ui.answers = {Answer::Yes};
    EXPECT_FALSE(saveCustomDefaults(ui, home.path("no/such/folder/TavloCustom.ini"), d));
    auto shown = ui.shown();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "保存当前 Tavlo 设置为默认值 ?    ");
    EXPECT_EQ(shown[0].title, "保存自定义默认值...");
    EXPECT_EQ(ui.messages(), std::vector<std::string>{"无法保存自定义默认值    "});
    EXPECT_EQ(shown.back().title, "Tavlo 错误");
}

TEST(Application, SettingsSurviveARestartAndCustomDefaultsApplyWhenAsked) {
    test::TempHome home;
    test::RecordingPrompts ui;
    {
        Application app(Paths(home.environment()), ui);
        app.loadSettings();
        EXPECT_EQ(app.config().tempDirectory, home.path(".cache/tavlo"));
        app.config().granularity = 50;
        app.config().useCustomDefaults = true;
        app.config().playbackSpeed = 3.0;
        addRecentFile(app.state(), "/p/a.tavlo");
        ui.answers = {Answer::Yes};
        ASSERT_TRUE(app.saveCustomDefaults());
        app.config().playbackSpeed = 1.0;
        ASSERT_TRUE(app.saveSettings());
    }
    Application again(Paths(home.environment()), ui);
    again.loadSettings();
    EXPECT_EQ(again.config().granularity, 50);
    EXPECT_EQ(again.state().recentFiles, std::vector<std::string>{"/p/a.tavlo"});
    EXPECT_DOUBLE_EQ(again.config().playbackSpeed, 3.0); // from TavloCustom.ini
}

TEST(Application, FactoryResetLeavesNoSettingsBehindAndRestarts) {
    test::TempHome home;
    test::RecordingPrompts ui;
    Application app(Paths(home.environment()), ui);
    app.loadSettings();
    ASSERT_TRUE(app.saveSettings());
    ASSERT_TRUE(fileExists(home.path("Documents/Tavlo/config.txt")));

    int restarts = 0;
    auto restart = [&] {
        ++restarts;
        return true;
    };
    ui.answers = {Answer::No};
    EXPECT_FALSE(app.resetToFactoryDefaults(restart));
    EXPECT_TRUE(fileExists(home.path("Documents/Tavlo/Tavlo.ini")));
    EXPECT_EQ(restarts, 0);

    ui.answers = {Answer::Yes};
    EXPECT_TRUE(app.resetToFactoryDefaults(restart));
    EXPECT_EQ(restarts, 1);
    EXPECT_FALSE(fileExists(home.path("Documents/Tavlo/config.txt")));
    EXPECT_FALSE(fileExists(home.path("Documents/Tavlo/Tavlo.ini")));
    // The normal close that follows a failed restart must not bring them back.
    app.saveSettings();
    EXPECT_FALSE(fileExists(home.path("Documents/Tavlo/Tavlo.ini")));

    auto shown = ui.shown();
    EXPECT_EQ(shown[0].text,
              "警告!\nAll User defined settings in Tavlo will be removed.\n\nDo you want to reset Tavlo "
              "to Factory Defaults?    ");
    EXPECT_EQ(shown[0].title, "Reset to Factory Defaults...");
}

} // namespace
} // namespace tavlo
