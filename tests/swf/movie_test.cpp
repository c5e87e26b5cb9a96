#include "swf/button.h"
#include "swf/clip.h"
#include "swf/movie.h"
#include "swf/shapes.h"
#include "swf/sound.h"
#include "swf/text.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"
#include "tests/swf/swf_test_util.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>
#include <zlib.h>

namespace tavlo::swf {
namespace {

using test::parsedFile;
using test::tagsOf;

class MovieTest : public ::testing::Test {
protected:
    test::TempHome home;
    test::RecordingPrompts prompts;
    SwfContext ctx{prompts};
    std::string out = home.path("movie.swf");

    // Saves, checks the file with the outside parser and with ours, and returns its tags.
    SwfFile saved(SwfMovie& movie, SaveResult expected = SaveResult::Written) {
        EXPECT_EQ(movie.save(out), expected);
        EXPECT_EQ(test::yaswfpProblems(out), "");
        return parsedFile(out);
    }
};

TEST_F(MovieTest, EmptyMovieHasAttributesMetadataAndEnd) {
    SwfMovie movie(ctx);
    SwfFile f = saved(movie);
    EXPECT_EQ(f.header.frameCount, 0);
    EXPECT_EQ(f.header.version, 6);
    EXPECT_EQ(f.header.frameSize, (Rect{Twips(0), Twips(11000), Twips(0), Twips(8000)}));
    EXPECT_EQ(f.header.frameRate, Fixed8::fromInt(12));
    ASSERT_EQ(f.tags.size(), 2u);
    EXPECT_TRUE(f.tags[0] == Tag(FileAttributes{0x10}));
    EXPECT_TRUE(f.tags[1].is<Metadata>());
    std::vector<uint8_t> bytes = test::fileBytes(out);
    // The four-byte FileAttributes with only HasMetadata, right after the 21-byte header.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 21, bytes.begin() + 27),
              (std::vector<uint8_t>{0x44, 0x11, 0x10, 0x00, 0x00, 0x00}));
}

TEST_F(MovieTest, Flash4MovieIsVersion4) {
    ctx.flash4Compatible = true;
    SwfMovie movie(ctx);
    SwfRectangle r(ctx, 0, 0, 99, 99);
    movie.frame(0).place(r);
    EXPECT_EQ(saved(movie).header.version, 4);
}

TEST_F(MovieTest, StageWiderThan16383TwipsKeepsItsSize) {
    SwfMovie movie(ctx);
    movie.width = 40000;
    movie.height = 30000;
    SwfRectangle r(ctx, 0, 0, 99, 99);
    movie.frame(0).place(r);
    SwfFile f = saved(movie);
    EXPECT_EQ(f.header.frameSize, (Rect{Twips(0), Twips(40000), Twips(0), Twips(30000)}));
    EXPECT_EQ(f.header.frameCount, 1);
}

TEST_F(MovieTest, ButtonIsRemovedUnderTheIdOfEachTimeline) {
    SwfMovie movie(ctx), body(ctx);
    SwfRectangle s(ctx, 0, 0, 99, 99);
    SwfButton b(ctx, s, s, s, s);
    movie.frame(0).place(b);
    body.frame(0).place(b);
    body.frame(1).remove(b);
    SwfClip clip(ctx, body, "c");
    movie.frame(1).place(clip);
    movie.frame(2).remove(b);
    SwfFile f = saved(movie);
    auto buttons = tagsOf<DefineButton2>(f.tags);
    auto removes = tagsOf<RemoveObject>(f.tags);
    ASSERT_EQ(buttons.size(), 2u);
    ASSERT_EQ(removes.size(), 2u);
    // The sprite's removal comes first in file order (the sprite is defined in frame 1).
    EXPECT_EQ(removes[0].characterId, buttons[1].id);
    EXPECT_EQ(removes[1].characterId, buttons[0].id);
}

TEST_F(MovieTest, MetadataIsEscapedXml) {
    ctx.metaTag = "Fish & chips <fresh> \"daily\"";
    SwfMovie movie(ctx);
    SwfFile f = saved(movie);
    std::string xml = f.tags[1].as<Metadata>()->xml;
    EXPECT_NE(xml.find("<dc:description>Fish &amp; chips &lt;fresh&gt; &quot;daily&quot;</dc:description>"),
              std::string::npos);
    EXPECT_NE(xml.find("<dc:title>Tavlo screen recorder screencast</dc:title>"), std::string::npos);
    EXPECT_EQ(xml.substr(xml.size() - 45), "</dc:description></rdf:Description></rdf:RDF>");
    std::string path = home.path("meta.xml");
    std::ofstream(path) << xml;
    EXPECT_EQ(
        test::runCommand("/usr/bin/python3 -c 'import sys, xml.dom.minidom as m; m.parse(sys.argv[1])' '" +
                         path + "' 2>&1"),
        0);
}

TEST_F(MovieTest, FramesEndWithShowFrameAndTheCounterStartsOver) {
    SwfMovie movie(ctx);
    movie.frameRate = 25;
    SwfRectangle a(ctx, 0, 0, 99, 99);
    movie.frame(0).place(a);
    movie.frame(2).setBackground({1, 2, 3});
    SwfFile f = saved(movie);
    EXPECT_EQ(f.header.frameCount, 3);
    EXPECT_EQ(f.header.frameRate, Fixed8::fromInt(25));
    EXPECT_EQ(tagsOf<ShowFrame>(f.tags).size(), 3u);
    EXPECT_EQ(ctx.characterIds, 0);
    SwfRectangle b(ctx, 0, 0, 9, 9);
    SwfMovie next(ctx);
    next.frame(0).place(b);
    EXPECT_EQ(b.characterId, 1);
}

TEST_F(MovieTest, EqualRequestedDepthsGetDistinctDepthsInOrder) {
    SwfMovie movie(ctx);
    SwfRectangle low(ctx, 0, 0, 9, 9), top(ctx, 0, 0, 9, 9), a(ctx, 0, 0, 9, 9), b(ctx, 0, 0, 9, 9);
    top.depth = 9;
    a.depth = 3;
    b.depth = 3;
    low.depth = 1;
    movie.frame(0).place(top);
    movie.frame(0).place(a);
    movie.frame(0).place(b);
    movie.frame(1).place(low);
    SwfFile f = saved(movie);
    std::map<uint16_t, uint16_t> depthOf;
    for (const PlaceObject2& p : tagsOf<PlaceObject2>(f.tags)) depthOf[*p.characterId] = p.depth;
    EXPECT_EQ(depthOf[uint16_t(low.characterId)], 0);
    EXPECT_EQ(depthOf[uint16_t(a.characterId)], 1);
    EXPECT_EQ(depthOf[uint16_t(b.characterId)], 2);
    EXPECT_EQ(depthOf[uint16_t(top.characterId)], 3);
}

TEST_F(MovieTest, PlaceRemovePlaceGivesEachRemoveItsOwnDepth) {
    SwfMovie movie(ctx);
    SwfRectangle r(ctx, 0, 0, 9, 9), other(ctx, 0, 0, 9, 9);
    other.depth = 2;
    movie.frame(0).place(r);
    movie.frame(0).place(other);
    movie.frame(1).remove(r);
    movie.frame(2).place(r);
    movie.frame(3).remove(r);
    movie.frame(3).remove(r); // nothing left to remove: no tag
    SwfFile f = saved(movie);
    auto places = tagsOf<PlaceObject2>(f.tags);
    auto removes = tagsOf<RemoveObject>(f.tags);
    ASSERT_EQ(places.size(), 3u);
    ASSERT_EQ(removes.size(), 2u);
    EXPECT_EQ(tagsOf<DefineShape3>(f.tags).size(), 2u);
    EXPECT_EQ(places[0].depth, 0);
    EXPECT_EQ(removes[0].depth, 0);
    EXPECT_EQ(places[2].depth, 1);
    EXPECT_EQ(removes[1].depth, 1);
    EXPECT_EQ(places[1].depth, 2);
}

TEST_F(MovieTest, ClosingActionsTwiceAppendsOneDoActionThatTakesLaterSteps) {
    SwfMovie movie(ctx);
    SwfFrame& frame = movie.frame(0);
    frame.addStep(StopStep());
    frame.closeActions();
    SwfRectangle r(ctx, 0, 0, 9, 9);
    frame.place(r);
    frame.closeActions();
    frame.addStep(SetVariableStep("v", 42));
    SwfFile f = saved(movie);
    auto actions = tagsOf<DoAction>(f.tags);
    ASSERT_EQ(actions.size(), 1u);
    std::vector<Action> expected = {ActionCode{op::Stop}, ActionPush{{PushString{"v"}}},
                                    ActionPush{{PushString{"42"}}}, ActionCode{op::SetVariable}};
    EXPECT_TRUE(actions[0].actions == expected);
    EXPECT_TRUE(f.tags[2].is<DoAction>()); // where it was closed: before the shape
}

TEST_F(MovieTest, ActionsThatWereNeverClosedAreNotLost) {
    SwfMovie movie(ctx);
    SwfRectangle r(ctx, 0, 0, 9, 9);
    movie.frame(0).addStep(PlayStep());
    movie.frame(0).place(r);
    SwfFile f = saved(movie);
    ASSERT_EQ(tagsOf<DoAction>(f.tags).size(), 1u);
    EXPECT_TRUE(f.tags[4].is<DoAction>()); // after the shape, before ShowFrame
    EXPECT_TRUE(f.tags[5].is<ShowFrame>());
}

TEST_F(MovieTest, ScriptStepsProduceTheirRecords) {
    std::vector<Action> a;
    GetUrlStep("FSCommand:x", "1", 0).appendTo(a);
    GetPropertyStep("/c", 5).appendTo(a);
    SetPropertyStep("/c", 7, 3).appendTo(a);
    PushStep(9).appendTo(a);
    SetTargetStep("/m").appendTo(a);
    std::vector<Action> expected = {pushString("FSCommand:x"),
                                    pushString("1"),
                                    ActionGetUrl2{0},
                                    pushString("/c"),
                                    ActionPush{{PushFloat{0x40A00000}}},
                                    ActionCode{op::GetProperty},
                                    pushString("/c"),
                                    ActionPush{{PushFloat{0x40E00000}}},
                                    pushString("3"),
                                    ActionCode{op::SetProperty},
                                    ActionPush{{PushInteger{9}}},
                                    ActionSetTarget{"/m"}};
    EXPECT_TRUE(a == expected);
}

TEST_F(MovieTest, SharedButtonStateIsDefinedOnce) {
    SwfMovie movie(ctx);
    SwfRectangle up(ctx, 0, 0, 99, 99), over1(ctx, 0, 0, 99, 99), over2(ctx, 0, 0, 99, 99);
    SwfButton one(ctx, up, over1, over1, up), two(ctx, up, over2, over2, up);
    one.addStep(PlayStep(), 9);
    two.addStep(StopStep(), 1, 'a');
    two.nextCondition();
    two.addStep(PlayStep(), 2);
    movie.frame(0).place(one);
    movie.frame(0).place(two);
    movie.frame(1).place(one); // again in the same timeline: no second definition
    SwfFile f = saved(movie);
    EXPECT_EQ(tagsOf<DefineShape3>(f.tags).size(), 3u);
    auto buttons = tagsOf<DefineButton2>(f.tags);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0].records[0].characterId, buttons[1].records[0].characterId);
    EXPECT_EQ(buttons[0].records[3].characterId, uint16_t(up.characterId));
    EXPECT_TRUE(buttons[0].records[3].hitTest);
    ASSERT_EQ(buttons[1].conditions.size(), 2u);
    EXPECT_EQ(buttons[1].conditions[0].conditions, 'a' << 9 | 0x100);
    EXPECT_EQ(buttons[1].conditions[1].conditions, 0x80);
    EXPECT_EQ(buttons[0].conditions[0].conditions, 0x01);
    // Only the button tags place anything: the states are defined, never placed.
    EXPECT_EQ(tagsOf<PlaceObject2>(f.tags).size(), 3u);
}

TEST_F(MovieTest, ButtonStatesKeepTheirScale) {
    SwfMovie movie(ctx);
    SwfRectangle pixels(ctx, 0, 0, 9, 9), plain(ctx, 0, 0, 99, 99);
    pixels.scale(20 << 16, 20 << 16); // drawn in pixels, shown in twips
    SwfButton b(ctx, pixels, plain, pixels, pixels);
    movie.frame(0).place(b);
    auto buttons = tagsOf<DefineButton2>(saved(movie).tags);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0].records[0].matrix, pixels.matrix());
    EXPECT_EQ(buttons[0].records[1].matrix, Matrix{});
}

TEST_F(MovieTest, ButtonInAnotherTimelineIsDefinedAgain) {
    SwfMovie movie(ctx), body(ctx);
    SwfRectangle s(ctx, 0, 0, 99, 99);
    SwfButton b(ctx, s, s, s, s);
    body.frame(0).place(b);
    SwfClip clip(ctx, body, "c");
    movie.frame(0).place(clip);
    movie.frame(0).place(b);
    SwfFile f = saved(movie);
    auto buttons = tagsOf<DefineButton2>(f.tags);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_NE(buttons[0].id, buttons[1].id);
}

TEST_F(MovieTest, SpriteHoldsControlTagsAndItsDefinitionsComeBeforeIt) {
    SwfMovie movie(ctx), body(ctx);
    SwfRectangle inner(ctx, 0, 0, 99, 99);
    body.frame(0).place(inner);
    body.frame(1).addStep(StopStep());
    body.frame(1).closeActions();
    SwfTransformClip clip(ctx, body, "spin");
    clip.setBounds(0, 0, 99, 99);
    clip.rotate(90 << 16);
    movie.frame(0).place(clip);
    SwfFile f = saved(movie);
    ASSERT_GE(f.tags.size(), 5u);
    EXPECT_TRUE(f.tags[2].is<DefineShape3>());
    const DefineSprite* sprite = f.tags[3].as<DefineSprite>();
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->frameCount, 2);
    for (const Tag& t : sprite->tags) EXPECT_EQ(t.characterId(), 0);
    const PlaceObject2* place = f.tags[4].as<PlaceObject2>();
    ASSERT_NE(place, nullptr);
    EXPECT_EQ(place->name, "spin");
    ASSERT_TRUE(place->matrix && place->matrix->rotate);
    EXPECT_EQ((*place->matrix->rotate)[0].raw, 65536); // sin 90 degrees
}

std::vector<ShapeRecord> recordsOf(const SwfFile& f) {
    return tagsOf<DefineShape3>(f.tags).at(0).shape.records;
}

TEST_F(MovieTest, RoundRectangleRadiusIsCutToHalfTheSize) {
    SwfMovie movie(ctx);
    SwfRoundRectangle r(ctx, 0, 0, 99, 199, 80);
    movie.frame(0).place(r);
    std::vector<ShapeRecord> rec = recordsOf(saved(movie));
    ASSERT_EQ(rec.size(), 9u);
    EXPECT_EQ(std::get<StyleChange>(rec[0]).moveTo, (std::array<Twips, 2>{Twips(50), Twips(0)}));
    EXPECT_EQ(std::get<StraightEdge>(rec[1]), (StraightEdge{Twips(1), Twips(0)}));
    EXPECT_EQ(std::get<CurvedEdge>(rec[2]), (CurvedEdge{Twips(50), Twips(0), Twips(0), Twips(50)}));
    EXPECT_EQ(std::get<StraightEdge>(rec[3]), (StraightEdge{Twips(0), Twips(100)}));
}

TEST_F(MovieTest, ZeroLengthEdgesStayWellFormed) {
    SwfMovie movie(ctx);
    SwfRoundRectangle square(ctx, 0, 0, 99, 99, 0);
    SwfPath path(ctx, 10, 10);
    path.lineTo(0, 0);
    path.lineTo(30, 0);
    int xs[] = {0, 50, 50, 0}, ys[] = {0, 0, 50, 0};
    SwfPath polygon(ctx, xs, ys, 4);
    movie.frame(0).place(square);
    movie.frame(0).place(path);
    movie.frame(0).place(polygon);
    SwfFile f = saved(movie);
    auto shapes = tagsOf<DefineShape3>(f.tags);
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(std::get<CurvedEdge>(shapes[0].shape.records[2]), CurvedEdge{});
    EXPECT_EQ(std::get<StraightEdge>(shapes[1].shape.records[1]), StraightEdge{});
    EXPECT_EQ(shapes[1].bounds, (Rect{Twips(10), Twips(40), Twips(10), Twips(10)}));
    EXPECT_EQ(shapes[2].shape.records.size(), 4u); // first point repeated at the end: no closing edge
}

TEST_F(MovieTest, EventSoundInThreeFramesIsDefinedOnceAndStartedThrice) {
    PcmSound pcm;
    pcm.rate = 11025;
    pcm.data.assign(2000, 0);
    SwfEventSound sound(ctx, pcm);
    SwfMovie movie(ctx);
    for (int i = 0; i < 3; ++i) movie.frame(i).place(sound);
    SwfFile f = saved(movie);
    auto defs = tagsOf<DefineSound>(f.tags);
    ASSERT_EQ(defs.size(), 1u);
    EXPECT_EQ(defs[0].sampleCount, 1000u);
    EXPECT_EQ(defs[0].rate, 1);
    auto starts = tagsOf<StartSound>(f.tags);
    ASSERT_EQ(starts.size(), 3u);
    for (const StartSound& s : starts) EXPECT_EQ(s.soundId, defs[0].id);
    EXPECT_TRUE(tagsOf<PlaceObject2>(f.tags).empty());
}

TEST_F(MovieTest, TextFieldsGetDefaultNamesAndPlaceObject3WhenCachedAsBitmap) {
    SwfMovie movie(ctx);
    SwfFont font(ctx, "Sans", false, true);
    SwfTextField plain(ctx, 0, 0, 999, 299, u"Hi \u00e9\u4e2d");
    plain.setFont(font);
    ctx.cacheTextAsBitmap = true;
    SwfTextField cached(ctx, 0, 0, 999, 299, u"x");
    cached.setEditable(true);
    movie.frame(0).place(font);
    movie.frame(0).place(plain);
    movie.frame(0).place(cached);
    SwfFile f = saved(movie);
    auto fields = tagsOf<DefineEditText>(f.tags);
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].variableName, "T1");
    EXPECT_EQ(fields[1].variableName, "T2");
    EXPECT_EQ(fields[0].initialText, "Hi \xC3\xA9\xE4\xB8\xAD");
    EXPECT_EQ(fields[0].fontId, uint16_t(font.characterId));
    EXPECT_EQ(fields[0].layout->leading, 120);
    EXPECT_TRUE(fields[0].readOnly && fields[0].noSelect);
    EXPECT_FALSE(fields[1].readOnly || fields[1].noSelect);
    EXPECT_FALSE(fields[1].fontId);
    auto fonts = tagsOf<DefineFont2>(f.tags);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_TRUE(fonts[0].wideCodes && fonts[0].bold && !fonts[0].ansi);
    auto p3 = tagsOf<PlaceObject3>(f.tags);
    ASSERT_EQ(p3.size(), 1u);
    EXPECT_EQ(p3[0].blendMode, 2);
    EXPECT_EQ(tagsOf<PlaceObject2>(f.tags).size(), 1u);
}

TEST_F(MovieTest, BitmapsGoThroughTheCacheAndBackIntoTheFile) {
    ASSERT_TRUE(ctx.cache.open(home.root()));
    SwfMovie movie(ctx);
    std::vector<uint8_t> argb(4 * 3 * 2, 0x7F);
    SwfRectangle image(ctx, 0, 0, 59, 39, 5, 3, 2, 0, false, argb.data(), nullptr);
    std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xD9};
    SwfRectangle photo(ctx, 0, 0, 59, 39, 3, 2, jpeg.data(), jpeg.size());
    SwfRectangle shared(ctx, 100, 0, 159, 39, photo.bitmap(), 3, 2);
    movie.frame(0).place(image);
    movie.frame(0).place(photo);
    movie.frame(1).place(shared);
    SwfFile f = saved(movie);
    auto lossless = tagsOf<DefineBitsLossless>(f.tags);
    ASSERT_EQ(lossless.size(), 1u);
    EXPECT_EQ(lossless[0].width, 3);
    std::vector<uint8_t> raw(argb.size());
    uLongf n = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &n, lossless[0].data.bytes.data(), uLong(lossless[0].data.bytes.size())),
              Z_OK);
    EXPECT_EQ(raw, argb);
    auto jpegs = tagsOf<DefineBitsJpeg2>(f.tags);
    ASSERT_EQ(jpegs.size(), 1u);
    EXPECT_EQ(jpegs[0].data.bytes, jpeg);
    auto shapes = tagsOf<DefineShape3>(f.tags);
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(shapes[2].shape.fills[0].bitmapId, jpegs[0].id);
    EXPECT_TRUE(shapes[0].shape.lines.empty());
    // The fill maps 3 x 2 pixels onto 60 x 40 twips.
    EXPECT_EQ((*shapes[0].shape.fills[0].matrix.scale)[0].raw, 20 << 16);
}

TEST_F(MovieTest, JpegWithAlphaKeepsACompleteStreamAndFramesBareData) {
    SwfMovie movie(ctx);
    std::vector<uint8_t> jpeg = {0xFF, 0xD8, 7, 0xFF, 0xD9}, bare = {1, 2, 3}, alpha = {0, 128, 255, 255};
    SwfRectangle a(ctx, 0, 0, 39, 39), b(ctx, 0, 0, 39, 39);
    a.setJpegAlphaFill(2, 2, jpeg.data(), jpeg.size(), alpha.data(), alpha.size());
    b.setJpegAlphaFill(2, 2, bare.data(), bare.size(), alpha.data(), alpha.size());
    movie.frame(0).place(a);
    movie.frame(0).place(b);
    auto tags = tagsOf<DefineBitsJpeg3>(saved(movie).tags);
    ASSERT_EQ(tags.size(), 2u);
    EXPECT_EQ(tags[0].jpeg.bytes, jpeg);
    EXPECT_EQ(tags[1].jpeg.bytes, (std::vector<uint8_t>{0xFF, 0xD8, 1, 2, 3, 0xFF, 0xD9}));
    std::vector<uint8_t> raw(4);
    uLongf n = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &n, tags[0].alpha.bytes.data(), uLong(tags[0].alpha.bytes.size())),
              Z_OK);
    EXPECT_EQ(raw, alpha);
}

TEST_F(MovieTest, ColourMappedRowsArePaddedToWholeWords) {
    SwfMovie movie(ctx);
    std::vector<uint8_t> indices(8 * 2, 1), colours = {0, 0, 0, 255, 0, 0};
    SwfRectangle image(ctx, 0, 0, 99, 39, 3, 5, 2, 2, false, indices.data(), colours.data());
    movie.frame(0).place(image);
    auto bitmaps = tagsOf<DefineBitsLossless>(saved(movie).tags);
    ASSERT_EQ(bitmaps.size(), 1u);
    EXPECT_EQ(bitmaps[0].width, 8);
    EXPECT_EQ(bitmaps[0].colorTableSize, 1);
    std::vector<uint8_t> raw(6 + 16);
    uLongf n = raw.size();
    ASSERT_EQ(uncompress(raw.data(), &n, bitmaps[0].data.bytes.data(), uLong(bitmaps[0].data.bytes.size())),
              Z_OK);
    EXPECT_EQ(n, 22u);
}

TEST_F(MovieTest, CacheWriteFailureReportsAndCutsTheMovieCleanly) {
    ASSERT_TRUE(ctx.cache.openPath("/dev/full"));
    SwfMovie movie(ctx);
    SwfRectangle first(ctx, 0, 0, 99, 99);
    movie.frame(0).place(first);
    std::vector<uint8_t> jpeg(5000, 0x11);
    SwfRectangle lost(ctx, 0, 0, 99, 99, 10, 10, jpeg.data(), jpeg.size());
    EXPECT_FALSE(ctx.cacheOk);
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{"FailCache()"});
    EXPECT_EQ(prompts.shown()[0].title, "Tavlo Warning");
    movie.frame(1).place(lost);
    SwfRectangle after(ctx, 0, 0, 9, 9);
    movie.frame(2).place(after);
    SwfFile f = saved(movie, SaveResult::CutShort);
    EXPECT_EQ(f.header.frameCount, 1);
    EXPECT_TRUE(tagsOf<DefineBitsJpeg2>(f.tags).empty());
    EXPECT_EQ(f.header.fileLength, test::fileBytes(out).size());
}

TEST_F(MovieTest, CacheReadFailureReportsAndCutsTheMovieCleanly) {
    ASSERT_TRUE(ctx.cache.open(home.root()));
    SwfMovie movie(ctx);
    std::vector<uint8_t> jpeg(300, 0x22);
    jpeg[0] = 0xFF, jpeg[1] = 0xD8, jpeg[298] = 0xFF, jpeg[299] = 0xD9;
    SwfRectangle kept(ctx, 0, 0, 99, 99, 10, 10, jpeg.data(), jpeg.size());
    SwfRectangle gone(ctx, 0, 0, 99, 99, 10, 10, jpeg.data(), jpeg.size());
    movie.frame(0).place(kept);
    movie.frame(1).place(gone);
    ASSERT_EQ(truncate(ctx.cache.path().c_str(), 400), 0); // the second record is cut off
    SwfFile f = saved(movie, SaveResult::CutShort);
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{"FailCache()"});
    EXPECT_FALSE(ctx.cacheOk);
    EXPECT_EQ(f.header.frameCount, 1);
    EXPECT_EQ(tagsOf<DefineBitsJpeg2>(f.tags).size(), 1u);
}

TEST_F(MovieTest, WithoutACacheFilePayloadsStayInMemory) {
    SwfMovie movie(ctx);
    std::vector<uint8_t> jpeg = {0xFF, 0xD8, 1, 2, 0xFF, 0xD9};
    SwfRectangle r(ctx, 0, 0, 99, 99, 10, 10, jpeg.data(), jpeg.size());
    movie.frame(0).place(r);
    SwfFile f = saved(movie);
    EXPECT_EQ(tagsOf<DefineBitsJpeg2>(f.tags).at(0).data.bytes, jpeg);
    EXPECT_TRUE(prompts.messages().empty());
}

// Cancels once `cancelled` has been asked `after` times.
class CancelAfter : public Progress {
public:
    explicit CancelAfter(int after) : after_(after) {}
    void step(const std::string& text) override { steps.push_back(text); }
    void setPercent(int) override {}
    bool cancelled() const override { return ++asked_ > after_; }
    std::vector<std::string> steps;

private:
    int after_;
    mutable int asked_ = 0;
};

TEST_F(MovieTest, CancelledSaveCountsOnlyTheFramesWritten) {
    for (int cancelAt : {3, 7, 12}) {
        CancelAfter progress(cancelAt);
        ctx.progress = &progress;
        SwfMovie movie(ctx);
        std::vector<std::unique_ptr<SwfRectangle>> shapes;
        for (int i = 0; i < 6; ++i) {
            shapes.push_back(std::make_unique<SwfRectangle>(ctx, 0, 0, 9 + i, 9));
            movie.frame(i).place(*shapes.back());
        }
        SwfFile f = saved(movie, SaveResult::Cancelled);
        EXPECT_EQ(f.header.frameCount, tagsOf<ShowFrame>(f.tags).size()) << cancelAt;
        EXPECT_LT(f.header.frameCount, 6);
        EXPECT_EQ(progress.steps.at(0), "Processing frames");
        EXPECT_EQ(progress.steps.at(1), "Writing movie to file");
        ctx.progress = nullptr;
    }
}

TEST_F(MovieTest, UncreatableFileIsReportedToTheCallerOnly) {
    SwfMovie movie(ctx);
    EXPECT_EQ(movie.save(home.path("no/such/folder/m.swf")), SaveResult::CannotCreate);
    EXPECT_TRUE(prompts.shown().empty());
}

} // namespace
} // namespace tavlo::swf
