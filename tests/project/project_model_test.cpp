#include "project/frame.h"
#include "project/project.h"
#include "tests/project/project_fixture.h"

#include <gtest/gtest.h>

using namespace tavlo::project;
using tavlo::test::captureContext;

TEST(ProjectModel, NewFrameOfA1024By768Capture) {
    Project p;
    p.appendCapturedFrame(captureContext(1024, 768));
    const Frame& f = p.head()->frame;
    EXPECT_EQ(f.bubbleX, 204);
    EXPECT_EQ(f.bubbleY, 153);
    EXPECT_EQ((std::array<int, 4>{f.hotspotRect[0], f.hotspotRect[1], f.hotspotRect[2], f.hotspotRect[3]}),
              (std::array<int, 4>{153, 115, 255, 191}));
    EXPECT_EQ((std::array<int, 4>{f.zoomRect[0], f.zoomRect[1], f.zoomRect[2], f.zoomRect[3]}),
              (std::array<int, 4>{153, 115, 716, 537}));
    EXPECT_EQ(f.pointerX, -99999);
    EXPECT_EQ(std::uint16_t(f.pointerEndX), 35537);
    EXPECT_EQ(f.imageSource, 0xFFFF);
    EXPECT_EQ(f.actionGoToFrame, 2);
    EXPECT_EQ(f.bubbleStyle, 255);
    EXPECT_EQ(f.soundVolume, 0x7FFF);
    EXPECT_EQ(f.soundBackgroundLevel, 8191);
    EXPECT_FLOAT_EQ(f.soundGain, 1.0f);
    EXPECT_EQ(f.unnamed200, -1);
    EXPECT_EQ(f.unnamed276, -1);
    EXPECT_EQ(f.typedDisplayTime, -1);
    p.appendCapturedFrame(captureContext(1024, 768));
    EXPECT_EQ(p.frameAt(2)->frame.bubbleShowUntilFrame, 3);
    EXPECT_EQ(p.frameCount(), 2);
    EXPECT_NE(p.frameAt(1)->frame.frameId, p.frameAt(2)->frame.frameId);
}

TEST(ProjectModel, SoundRecordingMarksTheHeadAndCountsFrames) {
    Project p;
    CaptureContext c = captureContext(100, 100);
    c.recordingSound = true;
    c.soundPosition = 500;
    p.appendCapturedFrame(c);
    c.soundPosition = 900;
    p.appendCapturedFrame(c);
    EXPECT_EQ(p.head()->frame.syncSoundStart, 1);
    EXPECT_EQ(p.head()->frame.soundPlay, 1);
    EXPECT_EQ(p.frameAt(2)->frame.syncSoundStart, 0);
    EXPECT_EQ(p.frameAt(2)->frame.syncSoundPosition, 900);
    EXPECT_EQ(p.frameAt(2)->frame.syncSoundSerial, 1);
    EXPECT_NE(p.frameAt(2)->frame.syncSoundFirstFrame, 0u);
}

TEST(ProjectModel, EffectiveDisplayTime) {
    struct Case {
        int displayTime, recordedTime, autoTime, soundLength;
        bool singleFrame, bubble, onHover;
        int effect, effectTime;
        double factor;
        int expected;
    } cases[] = {
        {0, 37, 0, 0, false, false, false, 0, 0, 1.0, 37},
        {120, 37, 0, 0, false, true, false, 0, 0, 1.5, 180},
        {120, 37, 0, 0, false, true, true, 0, 0, 1.5, 120}, // shown on hover only: no factor
        {0, 37, 0, 250, true, false, false, 0, 0, 1.0, 250},
        {0, 37, 0, 250, false, false, false, 0, 0, 1.0, 37}, // sound not for this frame alone
        {0, 37, 66, 0, false, false, false, 0, 0, 1.0, 66},
        {50, 37, 0, 0, false, false, false, 3, 100, 1.0, 150},
        {50, 37, 0, 0, false, false, false, 5, 100, 1.0, 50},
        {101, 0, 0, 0, false, true, false, 0, 0, 0.5, 50}, // truncated
    };
    for (const Case& c : cases) {
        Project p;
        p.settings.bubbleTimeFactor = c.factor;
        FrameNode& f = p.appendCapturedFrame(captureContext(10, 10));
        f.frame.displayTime = c.displayTime;
        f.frame.recordedTime = c.recordedTime;
        f.frame.autoTime = std::int16_t(c.autoTime);
        f.frame.soundLength = c.soundLength;
        f.frame.soundSingleFrame = c.singleFrame;
        if (c.bubble) f.data.bubbleText = u"x";
        f.frame.bubbleOnHover = c.onHover;
        f.frame.frameEffect = std::uint8_t(c.effect);
        f.frame.frameEffectTime = c.effectTime;
        EXPECT_EQ(p.effectiveDisplayTime(f), c.expected) << c.displayTime << " " << c.effect;
    }
}

TEST(ProjectModel, AutomaticEndFrameOfABubble) {
    Project p;
    for (int i = 0; i < 40; ++i) {
        FrameNode& f = p.appendCapturedFrame(captureContext(10, 10));
        f.frame.displayTime = 100;
    }
    FrameNode& first = *p.head();
    first.frame.bubbleShowUntil = 1;
    first.data.bubbleText = std::u16string(160, u'a'); // 160 x 9 = 1440: 15 frames of 100
    EXPECT_EQ(p.automaticEndFrame(first, 1.0, 300), 15);
    p.frameAt(3)->frame.deleted = 1; // a deleted frame adds no time
    EXPECT_EQ(p.automaticEndFrame(first, 1.0, 300), 16);
    first.data.bubbleText = std::u16string(600, u'a'); // 600 x 5 = 3000: runs to the last frame
    EXPECT_EQ(p.automaticEndFrame(first, 1.0, 300), 31);
    first.data.bubbleText = std::u16string(1, u'a');    // 11 is below the minimum of 300
    EXPECT_EQ(p.automaticEndFrame(first, 1.0, 300), 4); // frame 3 is still deleted
}

TEST(ProjectModel, InsertingRenumbersLaterReferencesOnly) {
    Project p;
    for (int i = 0; i < 6; ++i) p.appendCapturedFrame(captureContext(10, 10));
    FrameNode* six = p.frameAt(6);
    six->frame.actionGoToFrame = 5;
    six->frame.hotspotGoToFrame = 3;
    six->frame.bubbleShowUntilFrame = 4;
    six->data.editedImage = "x";
    six->frame.editScope = six->frame.editPropagate = 1;
    six->frame.editLastFrame = 6;
    auto copy = p.duplicateFrame(*p.frameAt(3), false);
    FrameNode& inserted = p.insertAfter(p.frameAt(3), std::move(copy));
    EXPECT_EQ(p.frameNumber(&inserted), 4);
    EXPECT_EQ(p.frameCount(), 7);
    EXPECT_EQ(six->frame.actionGoToFrame, 6);
    EXPECT_EQ(six->frame.hotspotGoToFrame, 3);
    EXPECT_EQ(six->frame.bubbleShowUntilFrame, 5);
    EXPECT_EQ(six->frame.editLastFrame, 7);
    EXPECT_EQ(p.frameAt(7), six); // nodes keep their place in memory
}

TEST(ProjectModel, DuplicatesCopyDeeplyAndKeepTheFirstImageSource) {
    Project p;
    for (int i = 0; i < 3; ++i) p.appendCapturedFrame(captureContext(10, 10));
    FrameNode& src = *p.frameAt(2);
    src.data.bubbleText = u"text";
    src.data.soundFile = "a.wav";
    src.data.panBackground = "pan";
    src.frame.soundLength = 120;
    auto d1 = p.duplicateFrame(src, false);
    EXPECT_EQ(d1->frame.duplicated, 1);
    EXPECT_EQ(d1->frame.imageSource, 2);
    EXPECT_EQ(d1->data.bubbleText, src.data.bubbleText);
    EXPECT_FALSE(d1->data.soundFile);
    EXPECT_FALSE(d1->data.panBackground);
    EXPECT_EQ(d1->frame.soundLength, 0);
    FrameNode& placed = p.insertAfter(&src, std::move(d1));
    auto d2 = p.duplicateFrame(placed, true);
    EXPECT_EQ(d2->frame.imageSource, 2);
    EXPECT_EQ(p.duplicateFrame(src, true)->data.soundFile, std::optional<std::string>("a.wav"));
    d2->data.bubbleText = u"changed";
    EXPECT_EQ(placed.data.bubbleText, std::optional<std::u16string>(u"text"));
}

TEST(ProjectModel, HistogramIndexIsFifteenBits) {
    EXPECT_EQ(histogramIndex(0x00FFFFFF), 0x7FFFu);
    EXPECT_EQ(histogramIndex(0x00080000), 1u << 10); // red
    EXPECT_EQ(histogramIndex(0x00000800), 1u << 5);  // green
    EXPECT_EQ(histogramIndex(0x00000008), 1u);       // blue
}

TEST(ProjectModel, SnapshotHookMarksAKeyImage) {
    Project p;
    FrameNode& f = p.appendCapturedFrame(captureContext(4, 2));
    auto paint = [](const Project&, const FrameNode&, Snapshot& s, void*) {
        s.width = 4;
        s.height = 2;
        s.pixels = "compressed";
        return true;
    };
    ASSERT_TRUE(p.makeSnapshot(f, true, paint, nullptr));
    EXPECT_EQ(f.frame.keyImage, 1);
    EXPECT_EQ(f.frame.chapterMark, 1);
    EXPECT_EQ(f.data.snapshot->width, 4);
    EXPECT_FALSE(p.makeSnapshot(f, false, nullptr, nullptr));
}
