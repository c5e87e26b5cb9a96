#include "core/app_config.h"

#include "tests/support/temp_home.h"

#include <clocale>
#include <gtest/gtest.h>

namespace tavlo {
namespace {

TEST(AppConfig, DefaultsWriteTheExpectedFile) {
    AppConfig c;
    c.tempDirectory = "/home/u/.cache/tavlo";
    const std::string expected = "Professional_v8.60.66\r\n"
                                 "temp_directory=/home/u/.cache/tavlo\r\n"
                                 "delay_scale=1.000000\r\n"
                                 "delay_minimum=300\r\n"
                                 "fixed_fps=0\r\n"
                                 "export_timing_data=N\r\n"
                                 "record_auto_detect=Y\r\n"
                                 "record_frequency=44100\r\n"
                                 "record_channels=2\r\n"
                                 "record_bits=16\r\n"
                                 "continue_playing=N\r\n"
                                 "enable_sync_sound=N\r\n"
                                 "continuous_recording=N\r\n"
                                 "search_long_delays=N\r\n"
                                 "long_delay_minimum=50\r\n"
                                 "allow_resync=N\r\n"
                                 "noise_filter=0\r\n"
                                 "alternate_pause=N\r\n"
                                 "zoom_pan_rate=200\r\n"
                                 "granularity=20\r\n"
                                 "allow_keyboard_control=Y\r\n"
                                 "callout_navigation=N\r\n"
                                 "use_custom_defaults=N\r\n";
    EXPECT_EQ(formatConfig(c), expected);
}

TEST(AppConfig, OptionalKeysAreWrittenOnlyWhenSetAndSurviveARoundTrip) {
    AppConfig c;
    c.tempDirectory = "/t";
    c.metaTag = "<meta name=\"a\" content=\"b\">";
    c.secureLoad = true;
    c.externalFtpSettings = true;
    c.removeGhostFrames = true; // a user's value is not erased when the file is written back
    c.delayScale = 2.5;
    c.granularity = 7;
    const std::string text = formatConfig(c);
    EXPECT_NE(
        text.find("use_custom_defaults=N\r\nmeta_tag=<meta name=\"a\" content=\"b\">\r\nsecure_load=Y\r\n"
                  "external_ftp_settings=Y\r\nremove_ghost_frames=Y\r\n"),
        std::string::npos);
    AppConfig back;
    parseConfig(text, back);
    EXPECT_EQ(back.metaTag, c.metaTag);
    EXPECT_TRUE(back.secureLoad);
    EXPECT_TRUE(back.externalFtpSettings);
    EXPECT_TRUE(back.removeGhostFrames);
    EXPECT_DOUBLE_EQ(back.delayScale, 2.5);
    EXPECT_EQ(back.granularity, 7);
}

TEST(AppConfig, FloatsIgnoreTheProcessLocale) {
    // A locale with a decimal comma must not leak into the file.
    const char* old = std::setlocale(LC_ALL, nullptr);
    std::string saved = old ? old : "C";
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) std::setlocale(LC_ALL, "C");
    AppConfig c;
    c.delayScale = 0.5;
    std::string text = formatConfig(c);
    AppConfig back;
    parseConfig("delay_scale=0.75\r\n", back);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_NE(text.find("delay_scale=0.500000\r\n"), std::string::npos);
    EXPECT_DOUBLE_EQ(back.delayScale, 0.75);
}

struct LineCase {
    const char* name;
    std::string line;
    bool expectTiming;
    std::string expectTemp; // "@" + relative folder inside the test home, "" = unchanged
};

TEST(AppConfig, ReadsLinesAsTheUserWroteThem) {
    test::TempHome home;
    home.writeFile("present/keep", "");
    const std::string present = home.path("present");
    const std::string longLine = "export_timing_data=Y" + std::string(241, 'x'); // 261 characters

    const LineCase cases[] = {
        {"lower-case y", "export_timing_data=y\r\n", true, ""},
        {"Yes counts by its first letter", "export_timing_data=Yes\r\n", true, ""},
        {"1 is not yes", "export_timing_data=1\r\n", false, ""},
        {"N", "export_timing_data=N\r\n", false, ""},
        {"temp folder ending in CR, present", "temp_directory=" + present + "\r\r\n", false, present},
        {"temp folder missing", "temp_directory=" + home.path("missing") + "\r\n", false, ""},
        {"bare folder line", present + "\r\n", false, present},
        {"bare line naming nothing", "hello world\r\n", false, ""},
        {"unknown key", "colour_scheme=blue\r\n", false, ""},
        {"261-character line is ignored", longLine + "\r\n", false, ""},
        {"260-character line is read", "export_timing_data=Y" + std::string(240, 'x') + "\r\n", true, ""},
        {"LF only", "export_timing_data=Y\n", true, ""},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        AppConfig cfg;
        cfg.tempDirectory = "/default";
        parseConfig(c.line, cfg);
        EXPECT_EQ(cfg.exportTimingData, c.expectTiming);
        EXPECT_EQ(cfg.tempDirectory, c.expectTemp.empty() ? "/default" : c.expectTemp);
    }
}

TEST(AppConfig, NumbersReadLikeDecimalConversion) {
    AppConfig cfg;
    parseConfig("delay_minimum= 120abc\r\nfixed_fps=\r\nnoise_filter=-3\r\nrecord_frequency=99999999999\r\n"
                "delay_scale=1.25x\r\n",
                cfg);
    EXPECT_EQ(cfg.delayMinimum, 120);
    EXPECT_EQ(cfg.fixedFps, 0);
    EXPECT_EQ(cfg.noiseFilter, -3);
    EXPECT_EQ(cfg.recordFrequency, 2147483647);
    EXPECT_DOUBLE_EQ(cfg.delayScale, 1.25);
}

TEST(AppConfig, FileRoundTripReplacesTheOldFile) {
    test::TempHome home;
    const std::string path = home.path("config.txt");
    home.writeFile("config.txt", "old");
    AppConfig c;
    c.tempDirectory = home.root();
    c.continuousRecording = true;
    ASSERT_TRUE(writeConfigFile(path, c));
    AppConfig back;
    ASSERT_TRUE(readConfigFile(path, back));
    EXPECT_EQ(back.tempDirectory, home.root());
    EXPECT_TRUE(back.continuousRecording);
    EXPECT_FALSE(readConfigFile(home.path("none.txt"), back));
}

} // namespace
} // namespace tavlo
