// The movie options a project stores in its settings groups.
#include "movie/project_options.h"

#include <gtest/gtest.h>

namespace tavlo::movie {
namespace {

TEST(ProjectOptions, ANewProjectShowsThePointerInTrueColour) {
    project::Project p;
    const MovieOptions o = movieOptionsOf(p);
    EXPECT_TRUE(o.showPointer);
    EXPECT_TRUE(o.pointerShadow);
    EXPECT_FALSE(o.pointerHalo);
    EXPECT_TRUE(o.compress);
    EXPECT_EQ(o.maximumColours, 0);
    EXPECT_EQ(o.jpegQuality, 90);
    EXPECT_EQ(o.frameRate, 0);
    EXPECT_FALSE(o.fadeInAtStart || o.zoomInAtStart || o.fadeOutAtEnd || o.zoomOutAtEnd);
    EXPECT_EQ(o.buttonColour, 0xC2FFFFu);
}

TEST(ProjectOptions, PresetsAndCustomQuality) {
    project::Project p;
    p.settings.block.mixed[4] = 1;
    EXPECT_EQ(movieOptionsOf(p).jpegQuality, 50);
    EXPECT_EQ(movieOptionsOf(p).maximumColours, 8192);
    p.settings.block.mixed[4] = 0;
    p.settings.flashEffects3 = {256, 75};
    EXPECT_EQ(movieOptionsOf(p).jpegQuality, 75);
    EXPECT_EQ(movieOptionsOf(p).maximumColours, 256);
    // Values nobody could have chosen fall back to sound ones.
    p.settings.flashEffects3 = {-5, 300};
    EXPECT_EQ(movieOptionsOf(p).jpegQuality, 90);
    EXPECT_EQ(movieOptionsOf(p).maximumColours, 0);
    p.settings.block.mixed[3] = 0;
    p.settings.flashEffects1 = 100000;
    EXPECT_EQ(movieOptionsOf(p).clickFlashSize, 1);
    EXPECT_EQ(movieOptionsOf(p).frameRate, 120);
}

TEST(ProjectOptions, StoredOptionsReadBackTheSame) {
    MovieOptions o;
    o.showPointer = false;
    o.pointerHalo = true;
    o.haloColour = 0x00FF80;
    o.showHiddenActivity = true;
    o.fadeInAtStart = o.zoomOutAtEnd = o.startButton = o.chapterList = o.informationBox = true;
    o.clickFlash = false;
    o.clickFlashSize = 20;
    o.background = 0x336699;
    o.compress = false;
    o.frameRate = 15;
    o.maximumColours = 1024;
    o.jpegQuality = 70;
    o.buttonColour = 0x102030;
    project::Project p;
    storeMovieOptions(o, p);
    const MovieOptions back = movieOptionsOf(p);
    EXPECT_EQ(back.showPointer, o.showPointer);
    EXPECT_EQ(back.pointerHalo, o.pointerHalo);
    EXPECT_EQ(back.haloColour, o.haloColour);
    EXPECT_EQ(back.showHiddenActivity, o.showHiddenActivity);
    EXPECT_EQ(back.fadeInAtStart, o.fadeInAtStart);
    EXPECT_EQ(back.zoomInAtStart, o.zoomInAtStart);
    EXPECT_EQ(back.zoomOutAtEnd, o.zoomOutAtEnd);
    EXPECT_EQ(back.startButton, o.startButton);
    EXPECT_EQ(back.chapterList, o.chapterList);
    EXPECT_EQ(back.informationBox, o.informationBox);
    EXPECT_EQ(back.clickFlash, o.clickFlash);
    EXPECT_EQ(back.clickFlashSize, o.clickFlashSize);
    EXPECT_EQ(back.background, o.background);
    EXPECT_EQ(back.compress, o.compress);
    EXPECT_EQ(back.frameRate, o.frameRate);
    EXPECT_EQ(back.maximumColours, o.maximumColours);
    EXPECT_EQ(back.jpegQuality, o.jpegQuality);
    EXPECT_EQ(back.buttonColour, o.buttonColour);
    // The second preset's values are kept as that preset.
    o.maximumColours = 0;
    o.jpegQuality = 90;
    storeMovieOptions(o, p);
    EXPECT_EQ(p.settings.block.mixed[4], 2);
}

} // namespace
} // namespace tavlo::movie
