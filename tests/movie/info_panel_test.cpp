// The information panel: fade in over 600 ms, wait under its button, fade out; shadow at 10 %.
#include "movie/info_panel.h"
#include "swf/context.h"
#include "swf/read.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"
#include "tests/swf/swf_test_util.h"

#include <QImage>

#include <gtest/gtest.h>

namespace tavlo::movie {
namespace {

struct Placed {
    int frame;
    std::uint16_t id;
    int alpha; // -1 without a colour transform
};

class InfoPanelTest : public ::testing::Test {
protected:
    test::TempHome home;
    test::RecordingPrompts prompts;
    swf::SwfContext ctx{prompts};

    swf::SwfFile save(swf::SwfMovie& movie) {
        const std::string path = home.path("panel.swf");
        EXPECT_EQ(movie.save(path), swf::SaveResult::Written);
        EXPECT_EQ(test::yaswfpProblems(path), "");
        swf::ReadResult r = swf::readSwf(test::fileBytes(path));
        EXPECT_TRUE(r.ok()) << r.error;
        return r.file;
    }
    static std::vector<Placed> placements(const swf::SwfFile& f) {
        std::vector<Placed> out;
        int frame = 0;
        for (const swf::Tag& t : f.tags) {
            if (t.is<swf::ShowFrame>()) ++frame;
            if (const auto* p = t.as<swf::PlaceObject2>(); p && p->characterId)
                out.push_back({frame, *p->characterId, p->colorTransform ? p->colorTransform->mult[3] : -1});
        }
        return out;
    }
};

TEST_F(InfoPanelTest, FadesInWaitsUnderItsButtonAndFadesOut) {
    QImage picture(100, 60, QImage::Format_RGB32);
    picture.fill(QColor(200, 30, 30));
    const std::string path = home.path("info.png");
    ASSERT_TRUE(picture.save(QString::fromStdString(path)));
    swf::SwfMovie movie(ctx);
    movie.width = 320 * 20;
    movie.height = 240 * 20;
    InfoPanelRequest r;
    r.width = 320;
    r.height = 240;
    r.msPerFrame = 50; // m = 12
    r.picturePath = path;
    r.link = "https://example.org/";
    const InfoPanel panel = buildInfoPanel(ctx, movie, r);
    EXPECT_EQ(panel.fadeFrames, 12);
    EXPECT_EQ(panel.x0, 110);
    EXPECT_EQ(panel.y0, 90);
    EXPECT_EQ(panel.x1, 209);
    const swf::SwfFile f = save(movie);
    const auto placed = placements(f);
    // The picture is the first character placed; its alphas rise to 255 and fall back.
    ASSERT_FALSE(placed.empty());
    const std::uint16_t picture_id = placed[0].id;
    std::vector<int> alphas, frames;
    for (const Placed& p : placed)
        if (p.id == picture_id) {
            alphas.push_back(p.alpha);
            frames.push_back(p.frame);
        }
    std::vector<int> expected;
    for (int k = 0; k <= 12; ++k) expected.push_back(k == 12 ? 255 : k * 255 / 12);
    for (int k = 11; k >= 1; --k) expected.push_back(k * 255 / 12);
    EXPECT_EQ(alphas, expected);
    EXPECT_EQ(frames.front(), 1);
    EXPECT_EQ(frames.back(), 24);
    // Shadows at a tenth of the picture's alpha: at full picture 25.
    bool shadowAt25 = false;
    for (const Placed& p : placed) shadowAt25 = shadowAt25 || (p.frame == 13 && p.id != picture_id && p.alpha == 25);
    EXPECT_TRUE(shadowAt25);
    // The button waits in frame 13, with the link and Play on release.
    int buttons = 0;
    for (const swf::Tag& t : f.tags)
        if (const auto* b = t.as<swf::DefineButton2>()) {
            ++buttons;
            ASSERT_EQ(b->conditions.size(), 1u);
            EXPECT_EQ(b->conditions[0].conditions, 0x08);
            bool url = false, getUrl = false;
            for (const swf::Action& a : b->conditions[0].actions) {
                if (const auto* p = std::get_if<swf::ActionPush>(&a))
                    for (const auto& v : p->values)
                        if (const auto* s = std::get_if<swf::PushString>(&v)) url = url || s->value == r.link;
                getUrl = getUrl || std::holds_alternative<swf::ActionGetUrl2>(a);
            }
            EXPECT_TRUE(url && getUrl);
        }
    EXPECT_EQ(buttons, 1);
}

TEST_F(InfoPanelTest, AnUnreadablePictureGivesTheBuiltInOneAndLargeOnesAreCut) {
    swf::SwfMovie movie(ctx);
    InfoPanelRequest r;
    r.width = 320;
    r.height = 240;
    r.picturePath = home.path("none.png");
    InfoPanel panel = buildInfoPanel(ctx, movie, r);
    EXPECT_EQ(panel.x1 - panel.x0 + 1, 240); // the built-in picture's width
    QImage big(1000, 50, QImage::Format_RGB32);
    big.fill(Qt::blue);
    r.picturePath = home.path("big.png");
    ASSERT_TRUE(big.save(QString::fromStdString(r.picturePath)));
    swf::SwfMovie other(ctx);
    panel = buildInfoPanel(ctx, other, r);
    EXPECT_EQ(panel.x0, 0);
    EXPECT_EQ(panel.x1, 319);
}

} // namespace
} // namespace tavlo::movie
