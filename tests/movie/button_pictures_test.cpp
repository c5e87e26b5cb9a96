// The movie's own pictures: preparation (alpha, tint, transpose), program pictures as PNG image
// rectangles, picture files, the tinted icons and the start button.
#include "movie/button_pictures.h"
#include "movie/resource_pictures.h"
#include "movie/start_button.h"
#include "swf/context.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"
#include "tests/swf/swf_test_util.h"

#include <QImage>

#include <gtest/gtest.h>

namespace tavlo::movie {
namespace {

TEST(PreparePicture, BitmapModeBlackAndMagentaAreTransparent) {
    Picture p(3, 1);
    p.bitmapMode = true;
    p.argb = {0x00FF00FF, 0x00000000, 0x00123456};
    preparePicture(p, 0, 1.0, false);
    EXPECT_EQ(p.argb[0], 0u);
    EXPECT_EQ(p.argb[1], 0u);
    EXPECT_EQ(p.argb[2], 0xFF123456u);
    Picture magenta(4, 4, 0xFFFF00FF);
    magenta.bitmapMode = true;
    preparePicture(magenta, 0, 1.0, false);
    for (std::uint32_t v : magenta.argb) EXPECT_EQ(v, 0u);
}

TEST(PreparePicture, OpacityScalesAlphaAndClearsInvisiblePixels) {
    Picture p(2, 1);
    p.argb = {0xC8102030, 0x01102030};
    preparePicture(p, 0, 0.5, false);
    EXPECT_EQ(p.argb[0], 0x64102030u); // trunc(0.5 * 200) = 100
    EXPECT_EQ(p.argb[1], 0u);          // trunc(0.5) = 0: gone, colour and all
}

TEST(PreparePicture, TintTakesMidGreyFullyAndLeavesBlackAndWhite) {
    Picture p(3, 1);
    p.argb = {0xFF808080, 0xFF000000, 0xFFFFFFFF};
    preparePicture(p, 0xFF0000, 1.0, false);
    EXPECT_EQ(p.argb[0], 0xFFFF0000u); // all red, brightness kept as far as a channel allows
    EXPECT_EQ(p.argb[1], 0xFF000000u);
    // White keeps within a step of itself.
    for (int shift : {16, 8, 0}) EXPECT_GE(p.argb[2] >> shift & 255, 254u);
}

TEST(PreparePicture, TransposeTurnsRowsIntoColumns) {
    Picture p(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) p.at(x, y) = 0xFF000000u | std::uint32_t(y * 3 + x);
    preparePicture(p, 0, 1.0, true);
    ASSERT_EQ(p.width, 2);
    ASSERT_EQ(p.height, 3);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(p.at(y, x) & 0xFF, std::uint32_t(y * 3 + x));
}

QImage decode(const std::string& data) {
    return QImage::fromData(reinterpret_cast<const uchar*>(data.data()), int(data.size()));
}

TEST(ResourcePictures, StartButtonsComeInThreeSizesAndTwoStyles) {
    EXPECT_EQ(startButtonResource(false, 64, false), kStartButton);
    EXPECT_EQ(startButtonResource(true, 65, false), kStartButtonHighlighted + 2);
    EXPECT_EQ(startButtonResource(false, 129, true), kStartButton + 4 + kSquareStyleOffset);
    for (int d : {64, 128, 256})
        for (bool hi : {false, true}) {
            const auto p = resourcePicture(startButtonResource(hi, d, false));
            ASSERT_TRUE(p);
            EXPECT_EQ(p->width, d);
            // Round: the corners are transparent, the middle is opaque.
            EXPECT_EQ(p->at(0, 0) >> 24, 0u);
            EXPECT_EQ(p->at(d / 2, d / 2) >> 24, 255u);
        }
    EXPECT_FALSE(resourcePicture(12345));
    EXPECT_TRUE(resourcePicture(kDefaultInformationPicture));
}

class PictureRectangles : public ::testing::Test {
protected:
    test::TempHome home;
    test::RecordingPrompts prompts;
    swf::SwfContext ctx{prompts};
};

TEST_F(PictureRectangles, AResourceBecomesAPngImageRectangle) {
    PictureRequest r;
    r.x = 10;
    r.y = 20;
    r.scale = 2;
    auto shape = pictureFromResource(ctx, kStartButton, r);
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->x0(), 10);
    EXPECT_EQ(shape->x1(), 10 + 2 * 64 - 1);
    EXPECT_EQ(shape->y1(), 20 + 2 * 64 - 1);
    ASSERT_TRUE(shape->bitmap());
    EXPECT_EQ(shape->bitmap()->width(), 64);
    r.sizeOverride = std::pair{30, 40};
    r.scale = 1;
    shape = pictureFromResource(ctx, kStartButton, r);
    EXPECT_EQ(shape->x1(), 10 + 30 - 1);
    EXPECT_EQ(shape->y1(), 20 + 40 - 1);
    EXPECT_FALSE(pictureFromResource(ctx, 12345, r));
}

TEST_F(PictureRectangles, PictureFilesAreShrunkAndKeepAlphaAsPng) {
    QImage opaque(200, 100, QImage::Format_RGB32);
    opaque.fill(QColor(10, 200, 30));
    const std::string jpegPath = home.path("opaque.png");
    ASSERT_TRUE(opaque.save(QString::fromStdString(jpegPath)));
    auto e = pictureFromFile(jpegPath, 50, 50);
    ASSERT_TRUE(e);
    EXPECT_FALSE(e->png);
    EXPECT_EQ(e->width, 50);
    EXPECT_EQ(e->height, 50);
    QImage back = decode(e->data);
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.width(), 50);
    EXPECT_NEAR(qGreen(back.pixel(25, 25)), 200, 4);

    QImage seeThrough(20, 10, QImage::Format_ARGB32);
    seeThrough.fill(QColor(255, 0, 0, 128));
    const std::string pngPath = home.path("alpha.png");
    ASSERT_TRUE(seeThrough.save(QString::fromStdString(pngPath)));
    e = pictureFromFile(pngPath, 100, 100); // small enough: its own size
    ASSERT_TRUE(e);
    EXPECT_TRUE(e->png);
    EXPECT_EQ(e->width, 20);
    back = decode(e->data);
    EXPECT_NEAR(qAlpha(back.pixel(5, 5)), 128, 1);
    EXPECT_FALSE(pictureFromFile(home.path("missing.png"), 10, 10));
}

TEST_F(PictureRectangles, TintedIconsMixTheirLayersIntoAtMost256Colours) {
    IconLayers l;
    for (Picture* p : {&l.base, &l.first, &l.second, &l.third}) *p = Picture(16, 20, 0xFF808080);
    l.base.at(0, 0) = 0xFFFF00FF; // takes the second colour
    l.base.at(1, 0) = 0xFFF0F0F0; // takes the third layer's colour
    l.third.at(1, 0) = 0xFF4080C0;
    auto icon = tintedIcon(ctx, prompts, l, 0xFF0000, 0x00FF00, 0, 5, 6, 1, false);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->x1(), 5 + 15);
    EXPECT_EQ(icon->y1(), 6 + 19);
    EXPECT_TRUE(prompts.messages().empty());

    // Every pixel a colour of its own: the 256th colour is reported, the icon is still made.
    IconLayers many;
    many.base = Picture(24, 24, 0xFF808080);
    for (Picture* p : {&many.first, &many.second, &many.third}) *p = Picture(24, 24, 0xFF000000);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) many.first.at(x, y) = 0xFF000000u | std::uint32_t(x * 10 << 16 | y * 10 << 8);
    EXPECT_TRUE(tintedIcon(ctx, prompts, many, 0xFFFFFF, 0, 0, 0, 0, 1, false));
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.messages()[0], "palcount exceeded !!!");
    // The separator kind is 4 pixels wide.
    auto narrow = tintedIcon(ctx, prompts, l, 0xFF0000, 0, -1, 0, 0, 2, false);
    EXPECT_EQ(narrow->x1(), 2 * 3);
}

} // namespace
} // namespace tavlo::movie
