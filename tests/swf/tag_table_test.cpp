// One table of (tag value, exact bytes) drives both directions: the writer must produce the bytes
// and the reader must give the value back. The bytes were worked out field by field from the
// format's layout, not taken from our writer.
#include "swf/read.h"
#include "swf/write.h"

#include <gtest/gtest.h>

namespace tavlo::swf {
namespace {

Matrix translate(int x, int y) {
    Matrix m;
    m.translateX = Twips(x);
    m.translateY = Twips(y);
    return m;
}

Matrix scaled(int sx, int sy, int tx, int ty) {
    Matrix m = translate(tx, ty);
    m.scale = std::array<Fixed16, 2>{Fixed16{sx}, Fixed16{sy}};
    return m;
}

Payload bytes(std::vector<uint8_t> b) {
    return Payload{std::move(b)};
}

struct Case {
    const char* name;
    Tag tag;
    std::vector<uint8_t> bytes;
};

std::vector<Case> cases() {
    std::vector<Case> c;
    c.push_back({"End", End{}, {0x00, 0x00}});
    c.push_back({"ShowFrame", ShowFrame{}, {0x40, 0x00}});
    c.push_back({"SetBackgroundColor", SetBackgroundColor{{1, 2, 3}}, {0x43, 0x02, 0x01, 0x02, 0x03}});
    c.push_back({"RemoveObject", RemoveObject{5, 7}, {0x44, 0x01, 0x05, 0x00, 0x07, 0x00}});
    // The four-byte field with only HasMetadata set.
    c.push_back({"FileAttributes", FileAttributes{}, {0x44, 0x11, 0x10, 0x00, 0x00, 0x00}});
    c.push_back({"Metadata", Metadata{"ab"}, {0x43, 0x13, 0x61, 0x62, 0x00}});

    DoAction actions;
    actions.actions = {ActionCode{op::Play},
                       ActionCode{op::Stop},
                       ActionGotoFrame{3},
                       ActionPush{{PushString{"x"}}},
                       ActionPush{{PushFloat{0x3F800000}}},
                       ActionPush{{PushInteger{5}}},
                       ActionJump{-5},
                       ActionIf{7},
                       ActionGetUrl2{0x40},
                       ActionGotoFrame2{true},
                       ActionSetTarget{"t"}};
    c.push_back({"DoAction", actions, {0x35, 0x03, 0x06, 0x07, 0x81, 0x02, 0x00, 0x03, 0x00, 0x96, 0x03,
                                       0x00, 0x00, 0x78, 0x00, 0x96, 0x05, 0x00, 0x01, 0x00, 0x00, 0x80,
                                       0x3F, 0x96, 0x05, 0x00, 0x07, 0x05, 0x00, 0x00, 0x00, 0x99, 0x02,
                                       0x00, 0xFB, 0xFF, 0x9D, 0x02, 0x00, 0x07, 0x00, 0x9A, 0x01, 0x00,
                                       0x40, 0x9F, 0x01, 0x00, 0x01, 0x8B, 0x02, 0x00, 0x74, 0x00, 0x00}});
    // A double is written high half first.
    c.push_back({"DoAction double",
                 DoAction{{ActionPush{{PushDouble{0x3FF0000000000000ull}}}}},
                 {0x0D, 0x03, 0x96, 0x09, 0x00, 0x06, 0x00, 0x00, 0xF0, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00}});

    PlaceObject2 simple;
    simple.depth = 1;
    simple.characterId = 2;
    c.push_back({"PlaceObject2", simple, {0x85, 0x06, 0x02, 0x01, 0x00, 0x02, 0x00}});

    PlaceObject2 full;
    full.depth = 3;
    full.characterId = 4;
    full.matrix = scaled(65536, 32768, 20, -20);
    full.matrix->rotate = std::array<Fixed16, 2>{Fixed16{-100}, Fixed16{100}};
    full.colorTransform = ColorTransform{true, true, {256, 256, 256, 128}, {10, -10, 0, 0}};
    full.ratio = 7;
    full.name = "a";
    full.clipDepth = 9;
    c.push_back(
        {"PlaceObject2 full", full, {0xA1, 0x06, 0x7E, 0x03, 0x00, 0x04, 0x00, 0xC9, 0x00, 0x00, 0x20, 0x00,
                                     0x28, 0x9C, 0x64, 0x32, 0x96, 0x00, 0xE9, 0x00, 0x40, 0x10, 0x02, 0x00,
                                     0x0A, 0xFD, 0x80, 0x00, 0x00, 0x07, 0x00, 0x61, 0x00, 0x09, 0x00}});

    PlaceObject3 p3;
    p3.base.depth = 2;
    p3.base.characterId = 5;
    p3.base.matrix = scaled(0, 0, 0, 0);
    p3.base.matrix->scale.reset(); // identity, written as one 0 byte
    p3.blendMode = 2;
    p3.bitmapCache = 0;
    c.push_back({"PlaceObject3", p3, {0x89, 0x11, 0x06, 0x06, 0x02, 0x00, 0x05, 0x00, 0x00, 0x02, 0x00}});

    DefineShape3 solid;
    solid.id = 3;
    solid.bounds = Rect{Twips(0), Twips(200), Twips(0), Twips(100)};
    solid.shape.fills = {FillStyle{FillType::Solid, {255, 0, 0, 255}, {}, {}, 0}};
    solid.shape.lines = {LineStyle{20, {0, 0, 0, 255}}};
    StyleChange start;
    start.moveTo = std::array<Twips, 2>{Twips(0), Twips(0)};
    start.fillStyle1 = 1;
    start.lineStyle = 1;
    solid.shape.records = {start,
                           StraightEdge{Twips(201), Twips(0)},
                           StraightEdge{Twips(0), Twips(101)},
                           StraightEdge{Twips(-201), Twips(0)},
                           StraightEdge{Twips(0), Twips(-101)},
                           CurvedEdge{Twips(10), Twips(0), Twips(0), Twips(10)},
                           StraightEdge{Twips(0), Twips(0)}, // at least 2 bits
                           StraightEdge{Twips(5), Twips(5)}};
    c.push_back({"DefineShape3 solid",
                 solid,
                 {0x28, 0x08, 0x03, 0x00, 0x48, 0x01, 0x90, 0x00, 0x32, 0x00, 0x01, 0x00, 0xFF, 0x00,
                  0x00, 0xFF, 0x01, 0x14, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x11, 0x34, 0x27, 0xB8, 0xC9,
                  0xD9, 0x65, 0xDC, 0x9B, 0xEC, 0xCD, 0xC6, 0xA0, 0x01, 0x58, 0x26, 0x55, 0x50, 0x00}});

    DefineShape3 styled;
    styled.id = 4;
    styled.bounds = Rect{Twips(-40), Twips(40), Twips(30), Twips(60)};
    FillStyle gradient;
    gradient.type = FillType::LinearGradient;
    gradient.matrix = scaled(201, 101, 100, 50);
    gradient.gradient = {{0, {255, 0, 0, 255}}, {255, {0, 0, 255, 128}}};
    FillStyle bitmap;
    bitmap.type = FillType::ClippedBitmap;
    bitmap.bitmapId = 9;
    bitmap.matrix = scaled(20 << 16, 20 << 16, 0, 0);
    styled.shape.fills = {gradient, bitmap};
    StyleChange start2;
    start2.moveTo = std::array<Twips, 2>{Twips(-40), Twips(30)};
    start2.fillStyle0 = 1;
    start2.fillStyle1 = 2;
    start2.lineStyle = 0; // no line styles: a 0-bit index
    styled.shape.records = {start2, StraightEdge{Twips(3), Twips(0)}};
    c.push_back(
        {"DefineShape3 gradient and bitmap",
         styled,
         {0x2D, 0x08, 0x04, 0x00, 0x3D, 0x85, 0x07, 0x9E, 0x00, 0x02, 0x10, 0xA5, 0x92, 0x65, 0x21, 0x90,
          0xC8, 0x02, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0x80, 0x41, 0x09, 0x00, 0xD9,
          0x40, 0x00, 0x05, 0x00, 0x00, 0x01, 0x00, 0x00, 0x20, 0x3C, 0xF6, 0x0F, 0x36, 0x23, 0x00}});

    c.push_back({"DefineBitsJpeg2",
                 DefineBitsJpeg2{1, bytes({0xFF, 0xD8, 0x01, 0xFF, 0xD9})},
                 {0x47, 0x05, 0x01, 0x00, 0xFF, 0xD8, 0x01, 0xFF, 0xD9}});
    c.push_back({"DefineBitsJpeg3",
                 DefineBitsJpeg3{2, bytes({0xFF, 0xD8, 0xAA, 0xFF, 0xD9}), bytes({0xCC})},
                 {0xCC, 0x08, 0x02, 0x00, 0x05, 0x00, 0x00, 0x00, 0xFF, 0xD8, 0xAA, 0xFF, 0xD9, 0xCC}});
    // Lossless bitmaps always get the long header.
    c.push_back(
        {"DefineBitsLossless",
         DefineBitsLossless{3, false, 5, 2, 1, 0, bytes({0x78, 0x9C, 0x01})},
         {0x3F, 0x05, 0x0A, 0x00, 0x00, 0x00, 0x03, 0x00, 0x05, 0x02, 0x00, 0x01, 0x00, 0x78, 0x9C, 0x01}});
    c.push_back({"DefineBitsLossless2 colour-mapped",
                 DefineBitsLossless{4, true, 3, 4, 2, 1, bytes({0x01})},
                 {0x3F, 0x09, 0x09, 0x00, 0x00, 0x00, 0x04, 0x00, 0x03, 0x04, 0x00, 0x02, 0x00, 0x01, 0x01}});

    DefineButton2 button;
    button.id = 14;
    for (int i = 0; i < 4; ++i) {
        ButtonRecord r;
        r.up = i == 0;
        r.over = i == 1;
        r.down = i == 2;
        r.hitTest = i == 3;
        r.characterId = uint16_t(10 + i);
        button.records.push_back(r);
    }
    button.conditions = {{0x0008, {ActionCode{op::Play}}},
                         {uint16_t(97 << 9 | 0x100), {ActionPush{{PushString{"go"}}}, ActionCode{op::Stop}}}};
    c.push_back({"DefineButton2",
                 button,
                 {0xB5, 0x08, 0x0E, 0x00, 0x00, 0x1F, 0x00, 0x01, 0x0A, 0x00, 0x01, 0x00, 0x00, 0x04,
                  0x02, 0x0B, 0x00, 0x01, 0x00, 0x00, 0x04, 0x04, 0x0C, 0x00, 0x01, 0x00, 0x00, 0x04,
                  0x08, 0x0D, 0x00, 0x01, 0x00, 0x00, 0x04, 0x00, 0x06, 0x00, 0x08, 0x00, 0x06, 0x00,
                  0x00, 0x00, 0x00, 0xC3, 0x96, 0x04, 0x00, 0x00, 0x67, 0x6F, 0x00, 0x07, 0x00}});

    DefineEditText text;
    text.id = 15;
    text.bounds = Rect{Twips(0), Twips(2000), Twips(0), Twips(400)};
    text.wordWrap = true;
    text.password = true;
    text.readOnly = true;
    text.noSelect = true;
    text.fontId = 16;
    text.fontHeight = 240;
    text.textColor = Rgba{1, 2, 3, 255};
    text.maxLength = 50;
    text.layout = EditTextLayout{2, 0, 0, 0, 120};
    text.variableName = "T1";
    text.initialText = "h\xC3\xA9";
    c.push_back({"DefineEditText", text, {0x65, 0x09, 0x0F, 0x00, 0x60, 0x00, 0x3E, 0x80, 0x00, 0x0C,
                                          0x80, 0xDF, 0x30, 0x10, 0x00, 0xF0, 0x00, 0x01, 0x02, 0x03,
                                          0xFF, 0x32, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0x78, 0x00, 0x54, 0x31, 0x00, 0x68, 0xC3, 0xA9, 0x00}});

    DefineFont2 font;
    font.id = 16;
    font.wideCodes = true;
    font.bold = true;
    font.name = "Arial";
    c.push_back({"DefineFont2 device font", font, {0x14, 0x0C, 0x10, 0x00, 0x85, 0x00, 0x05, 'A',
                                                   'r',  'i',  'a',  'l',  0x00, 0x00, 0x00, 0x00,
                                                   0x00, 0x00, 0x00, 0x00, 0x00, 0x00}});

    PlaceObject2 inner;
    inner.characterId = 3;
    DefineSprite sprite;
    sprite.id = 20;
    sprite.frameCount = 1;
    sprite.tags = {inner, ShowFrame{}};
    c.push_back({"DefineSprite",
                 sprite,
                 {0xCF, 0x09, 0x14, 0x00, 0x01, 0x00, 0x85, 0x06, 0x02, 0x00, 0x00, 0x03, 0x00, 0x40, 0x00,
                  0x00, 0x00}});

    c.push_back({"DefineSound",
                 DefineSound{21, SoundFormat::Adpcm, 2, true, false, 100, bytes({1, 2, 3})},
                 {0x8A, 0x03, 0x15, 0x00, 0x1A, 0x64, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03}});
    c.push_back({"StartSound", StartSound{21}, {0xC3, 0x03, 0x15, 0x00, 0x00}});
    c.push_back({"SoundStreamHead ADPCM",
                 SoundStreamHead{2, true, false, SoundFormat::Adpcm, 2, true, false, 1837, 0},
                 {0x84, 0x04, 0x0A, 0x1A, 0x2D, 0x07}});
    c.push_back({"SoundStreamHead MP3",
                 SoundStreamHead{3, true, true, SoundFormat::Mp3, 3, true, true, 3675, 0},
                 {0x86, 0x04, 0x0F, 0x2F, 0x5B, 0x0E, 0x00, 0x00}});
    c.push_back({"SoundStreamBlock", SoundStreamBlock{bytes({0xAA, 0xBB})}, {0xC2, 0x04, 0xAA, 0xBB}});
    return c;
}

class TagTable : public ::testing::TestWithParam<Case> {};

TEST_P(TagTable, WriterGivesTheBytes) {
    SwfStream s;
    writeTag(s, GetParam().tag);
    EXPECT_EQ(s.flattened(), GetParam().bytes);
}

TEST_P(TagTable, ReaderGivesTheValueBack) {
    SwfReader r(GetParam().bytes);
    Tag t = readTag(r);
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(r.remaining(), 0u);
    EXPECT_TRUE(t == GetParam().tag) << GetParam().name;
}

TEST_P(TagTable, ATruncatedTagFailsCleanly) {
    const std::vector<uint8_t>& full = GetParam().bytes;
    for (size_t n = 0; n < full.size(); ++n) {
        std::vector<uint8_t> cut(full.begin(), full.begin() + long(n));
        SwfReader r(cut);
        readTag(r);
        EXPECT_TRUE(r.failed()) << GetParam().name << " cut to " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryTagKind, TagTable, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string n = info.param.name;
                             for (char& ch : n)
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return n;
                         });

} // namespace
} // namespace tavlo::swf
