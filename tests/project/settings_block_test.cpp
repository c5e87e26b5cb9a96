#include "project/bubble_animation.h"
#include "project/settings_block.h"

#include <gtest/gtest.h>

using namespace tavlo;
using namespace tavlo::project;

namespace {

SettingsBlock filledBlock() {
    SettingsBlock s;
    s.soundRecordingOption1 = 3;
    s.capturedTrueColour = 0;
    s.quickMarkNames[7][0] = -5;
    s.editWindowPath = "/home/me/edits";
    s.recorderText1 = "first";
    s.recorderText2 = "second";
    s.flashEffects[7] = 8;
    s.soundRecordingTexts = {"a", "b", "c", "d"};
    s.soundGroup1[12] = 13;
    s.soundGroup2[10] = 11;
    s.codecName = "codec";
    s.compressor.formatBlock = std::string("\0\1\2", 3);
    s.compressor.parameterBlock = "PARAMS";
    s.projectValues = {21, 22};
    s.executable = {1, 2, 3, 4};
    s.executableTexts = {"player", "icon"};
    s.languages.names = {"English", "Deutsch"};
    s.languages.current = 2;
    s.languages.previous = 1;
    return s;
}

} // namespace

TEST(SettingsBlock, BothFormsRoundTrip) {
    ProjectDefaults d;
    d.bubbleTextColour = 0x123456;
    d.furtherColour = 0xFFFFFF;
    d.hotspotThickness = 9;
    d.hotspotRect = {1, 2, 3, 4};
    d.pointerFlags = {1, 0, 1};
    const SettingsBlock s = filledBlock();
    for (SettingsForm form : {SettingsForm::Project, SettingsForm::CustomDefaults}) {
        SectionWriter w;
        writeSettingsBlock(w, d, s, form);
        const std::string bytes = w.take();
        ProjectDefaults d2;
        SettingsBlock s2;
        SectionReader r(bytes);
        ASSERT_TRUE(readSettingsBlock(r, 866, d2, s2, form));
        EXPECT_EQ(r.remaining(), 0u);
        EXPECT_EQ(s2.languages, s.languages);
        EXPECT_EQ(s2.compressor.parameterBlock, "PARAMS");
        EXPECT_EQ(s2.executableTexts, s.executableTexts);
        EXPECT_EQ(d2.bubbleTextColour, 0x123456u);
        EXPECT_EQ(d2.hotspotThickness, 9);
        if (form == SettingsForm::Project) {
            EXPECT_EQ(d2.hotspotRect, d.hotspotRect);
            EXPECT_EQ(s2.projectValues, s.projectValues);
            EXPECT_EQ(s2.quickMarkNames, s.quickMarkNames);
            EXPECT_EQ(s2.capturedTrueColour, 0);
        } else {
            // The project-only items are neither written nor read.
            EXPECT_EQ(d2.hotspotRect, Rect{});
            EXPECT_EQ(s2.projectValues, SettingsBlock{}.projectValues);
            EXPECT_EQ(s2.capturedTrueColour, 1);
        }
    }
    SectionWriter p, c;
    writeSettingsBlock(p, d, s, SettingsForm::Project);
    writeSettingsBlock(c, d, s, SettingsForm::CustomDefaults);
    EXPECT_GT(p.size(), c.size() + 256 * 2); // the 256 quick-mark name lines, at least
}

TEST(SettingsBlock, ACutBlockChangesNothing) {
    SectionWriter w;
    const SettingsBlock s = filledBlock();
    writeSettingsBlock(w, ProjectDefaults{}, s, SettingsForm::Project);
    const std::string bytes = w.take();
    for (std::size_t n = 0; n + 1 < bytes.size(); n += 7) {
        ProjectDefaults d;
        d.hotspotThickness = 77;
        SettingsBlock out;
        out.codecName = "kept";
        SectionReader r(std::string_view(bytes).substr(0, n));
        EXPECT_FALSE(readSettingsBlock(r, 866, d, out, SettingsForm::Project)) << n;
        EXPECT_EQ(d.hotspotThickness, 77);
        EXPECT_EQ(out.codecName, "kept");
    }
}

TEST(SettingsBlock, OlderVersionsLackTheCodecAndLanguages) {
    SectionWriter w;
    const SettingsBlock s = filledBlock();
    writeSettingsBlock(w, ProjectDefaults{}, s, SettingsForm::Project, 500);
    const std::string bytes = w.take();
    SectionReader r(bytes);
    ProjectDefaults d;
    SettingsBlock out;
    ASSERT_TRUE(readSettingsBlock(r, 500, d, out, SettingsForm::Project));
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_EQ(out.codecName, "Microsoft Video 1");
    EXPECT_TRUE(out.languages.names.empty());
}

TEST(BubbleAnimation, LineFormRoundTripsAndStopsAtItsVersion) {
    BubbleAnimation a;
    a.zoomOut = 1;
    a.exitDuration = 75;
    a.options[9].easing = 1000;
    a.options[9].reservedFloat = 0.25;
    a.fadeInText = 1;
    LineWriter w;
    writeBubbleAnimation(w, a);
    LineReader r(w.bytes());
    BubbleAnimation back;
    ASSERT_TRUE(readBubbleAnimation(r, back));
    EXPECT_EQ(back, a);
    EXPECT_TRUE(r.atEnd());

    BubbleAnimation v1 = a;
    v1.version = 1;
    LineWriter w1;
    writeBubbleAnimation(w1, v1);
    w1.putString("next item");
    LineReader r1(w1.bytes());
    BubbleAnimation back1;
    ASSERT_TRUE(readBubbleAnimation(r1, back1));
    EXPECT_EQ(back1.fadeInText, 0); // not in a version-1 record
    std::string rest;
    ASSERT_TRUE(r1.getLine(rest));
    EXPECT_EQ(rest, "next item");

    // Defaults: a horizontal slide enters on the left, a vertical one at the bottom.
    EXPECT_EQ(BubbleAnimation{}.options[1].optionA, 1);
    EXPECT_EQ(BubbleAnimation{}.options[3].optionB, 1);
    EXPECT_EQ(BubbleAnimation{}.slideHorizontalIn, 1);
}
