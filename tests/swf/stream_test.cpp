#include "swf/read.h"
#include "swf/stream.h"
#include "swf/write.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace tavlo::swf {
namespace {

TEST(BitsFor, SmallestWidthPlusExtra) {
    struct {
        uint32_t v;
        int extra, expected;
    } cases[] = {{0, 1, 1},   {1, 1, 2},    {0, 0, 0},      {1, 0, 1},           {2, 0, 2},
                 {255, 0, 8}, {256, 1, 10}, {16383, 1, 15}, {0x7FFFFFFF, 0, 31}, {0xFFFFFFFF, 0, 32}};
    for (auto c : cases) EXPECT_EQ(bitsFor(c.v, c.extra), c.expected) << c.v << " + " << c.extra;
}

TEST(BitWriter, MostSignificantFirstAndTooWideValuesWrap) {
    SwfStream s;
    s.writeBits(0b101, 3);
    s.writeBits(0xFF1, 4); // only the low 4 bits, 0001
    s.writeBits(1, 1);
    s.writeBits(0b11, 2);
    s.flushBits();
    EXPECT_EQ(s.bytes(), (std::vector<uint8_t>{0b10100011, 0b11000000}));
    s.writeU16(0x1234);
    s.writeU32(0xA1B2C3D4);
    EXPECT_EQ(std::vector<uint8_t>(s.bytes().begin() + 2, s.bytes().end()),
              (std::vector<uint8_t>{0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1}));
}

std::vector<uint8_t> tagBytes(uint16_t code, size_t bodyLength) {
    SwfStream body;
    for (size_t i = 0; i < bodyLength; ++i) body.writeU8(uint8_t(i));
    SwfStream s;
    s.writeTag(code, body);
    return s.bytes();
}

TEST(TagHeader, ShortUpTo62BytesLongFrom63) {
    std::vector<uint8_t> at62 = tagBytes(77, 62);
    ASSERT_EQ(at62.size(), 64u);
    EXPECT_EQ(at62[0] | at62[1] << 8, 77 << 6 | 62);
    std::vector<uint8_t> at63 = tagBytes(77, 63);
    ASSERT_EQ(at63.size(), 69u);
    EXPECT_EQ(at63[0] | at63[1] << 8, 77 << 6 | 0x3F);
    EXPECT_EQ(at63[2], 63);
    EXPECT_EQ(at63[3] | at63[4] | at63[5], 0);
}

TEST(TagHeader, LosslessBitmapsAndExportsAreAlwaysLong) {
    for (uint16_t code : {20, 36, 56}) {
        std::vector<uint8_t> b = tagBytes(code, 10);
        ASSERT_EQ(b.size(), 16u) << code;
        EXPECT_EQ(b[0] | b[1] << 8, code << 6 | 0x3F);
        EXPECT_EQ(b[2], 10);
    }
}

TEST(TagHeader, BlocksKeepTheirPlaceBehindTheHeader) {
    std::vector<uint8_t> payload(100, 0xAB);
    SwfStream body;
    body.writeU16(7);
    body.addMemoryBlock(payload.data(), uint32_t(payload.size()));
    body.writeU8(0xEE);
    SwfStream s;
    s.writeU8(0x11);
    s.writeTag(21, body);
    EXPECT_EQ(s.length(), 1u + 6u + 103u);
    ASSERT_EQ(s.blocks().size(), 1u);
    EXPECT_EQ(s.blocks()[0].position, 1u + 6u + 2u);
    std::vector<uint8_t> flat = s.flattened();
    EXPECT_EQ(flat[9], 0xAB);
    EXPECT_EQ(flat.back(), 0xEE);
}

TEST(Records, RectOfZerosUsesOneBit) {
    SwfStream s;
    writeRect(s, Rect{});
    EXPECT_EQ(s.bytes(), (std::vector<uint8_t>{0x08, 0x00}));
}

TEST(Records, RectBitsCoverTheLargestMagnitude) {
    SwfStream s;
    writeRect(s, Rect{Twips(-1), Twips(11000), Twips(0), Twips(8000)});
    SwfReader r(s.bytes());
    EXPECT_EQ(r.readBits(5), 15u); // 11000 < 2^14, plus the sign bit
    SwfReader again(s.bytes());
    EXPECT_EQ(readRect(again), (Rect{Twips(-1), Twips(11000), Twips(0), Twips(8000)}));
}

TEST(Records, IdentityMatrixIsOneZeroByte) {
    SwfStream s;
    writeMatrix(s, Matrix{});
    EXPECT_EQ(s.bytes(), (std::vector<uint8_t>{0x00}));
}

TEST(Records, ZeroTranslationOfAScaledMatrixStillHasItsBits) {
    Matrix m;
    m.scale = std::array<Fixed16, 2>{Fixed16::one(), Fixed16::one()};
    SwfStream s;
    writeMatrix(s, m);
    // HasScale, NScaleBits 18, two 18-bit 1.0 values, HasRotate 0, NTranslateBits 1, two 0 bits.
    EXPECT_EQ(s.bytes(), (std::vector<uint8_t>{0xC9, 0x00, 0x00, 0x40, 0x00, 0x01, 0x00}));
}

TEST(Records, ColourTransformBitsCoverBothGroups) {
    SwfStream s;
    writeColorTransform(s, ColorTransform{}); // no terms: HasAdd 0, HasMult 0, Nbits 1
    EXPECT_EQ(s.bytes(), (std::vector<uint8_t>{0x04}));
}

TEST(Header, FrameRectIsFifteenBitsUpTo16383) {
    Header h;
    h.frameSize = Rect{Twips(0), Twips(16383), Twips(0), Twips(8000)};
    SwfStream s;
    writeHeader(s, h);
    ASSERT_EQ(s.bytes().size(), 21u);
    std::vector<uint8_t> rect(s.bytes().begin() + 8, s.bytes().end());
    SwfReader r(rect);
    EXPECT_EQ(r.readBits(5), 15u);
}

TEST(Header, LargerSizesGetMoreBitsInsteadOfWrapping) {
    Header h;
    h.fileLength = 21;
    h.frameSize = Rect{Twips(0), Twips(16384), Twips(0), Twips(8000)};
    h.frameRate = Fixed8::fromInt(12);
    h.frameCount = 3;
    SwfStream s;
    writeHeader(s, h);
    ASSERT_EQ(s.bytes().size(), 21u);
    EXPECT_EQ(s.bytes()[17], 0); // 8.8 frame rate: a 0 byte, then 12
    EXPECT_EQ(s.bytes()[18], 12);
    SwfReader r(s.bytes());
    Header back = readHeader(r);
    EXPECT_EQ(back.frameSize.xMax.value, 16384);
    h.frameSize.xMax = Twips(70000);
    SwfStream longer;
    writeHeader(longer, h);
    EXPECT_EQ(longer.bytes().size(), 22u);
    SwfReader again(longer.bytes());
    EXPECT_EQ(readHeader(again).frameSize.xMax.value, 70000);
    EXPECT_EQ(back.frameCount, 3);
}

TEST(Reader, RejectsLengthsBeyondTheData) {
    std::vector<uint8_t> bad = {0x3F, 0x03, 0xFF, 0xFF, 0xFF, 0x7F, 0x00}; // DoAction claiming 2 GB
    SwfReader r(bad);
    readTag(r);
    EXPECT_TRUE(r.failed());
    EXPECT_FALSE(readSwf({'C', 'W', 'S', 6, 0xFF, 0xFF, 0xFF, 0xFF, 0x78}).ok());
    EXPECT_FALSE(readSwf({'F', 'W', 'S', 6, 30, 0, 0, 0}).ok());
}

// Damaged copies of a movie with every tag kind must read as an error or as something, never
// crash or read out of bounds (the sanitizer build watches).
TEST(Reader, SurvivesDamagedFiles) {
    std::vector<Tag> tags = {
        FileAttributes{},
        Metadata{"m"},
        SetBackgroundColor{{1, 2, 3}},
        DoAction{{ActionPush{{PushString{"a"}, PushFloat{1}}}, ActionCode{op::Play}}},
        DefineBitsLossless{3, false, 3, 4, 2, 1, Payload{{1, 2, 3}}},
        DefineSprite{4, 1, {PlaceObject2{false, 1, 3, Matrix{}, std::nullopt, {}, "n", {}}, ShowFrame{}}},
        DefineEditText{5, Rect{}, false, false, false, true, false, true, false, false, false, false, 6, 240,
                       Rgba{}, std::nullopt, EditTextLayout{}, "v", "t"},
        DefineButton2{7,
                      false,
                      {ButtonRecord{false, false, false, true, 3, 1, {}, {}}},
                      {ButtonCondAction{1, {ActionCode{op::Stop}}}}},
        ShowFrame{}};
    SwfStream body;
    for (const Tag& t : tags) writeTag(body, t);
    writeTag(body, Tag(End{}));
    std::vector<uint8_t> tagBytes = body.flattened();
    Header h;
    h.fileLength = uint32_t(21 + tagBytes.size());
    h.frameSize = Rect{Twips(0), Twips(2000), Twips(0), Twips(2000)};
    h.frameCount = 1;
    SwfStream file;
    writeHeader(file, h);
    std::vector<uint8_t> good = file.bytes();
    good.insert(good.end(), tagBytes.begin(), tagBytes.end());
    ASSERT_TRUE(readSwf(good).ok()) << readSwf(good).error;
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    int errors = 0;
    for (int i = 0; i < 3000; ++i) {
        std::vector<uint8_t> bad = good;
        int flips = 1 + int(next() % 4);
        for (int k = 0; k < flips; ++k) bad[8 + next() % (bad.size() - 8)] = uint8_t(next() >> 16);
        if (next() % 5 == 0) bad.resize(8 + next() % (bad.size() - 8));
        ReadResult r = readSwf(bad);
        if (!r.ok()) ++errors;
    }
    EXPECT_GT(errors, 100);
}

TEST(Reader, CompressedFileMustInflateToItsDeclaredLength) {
    std::vector<uint8_t> plain = {'F', 'W', 'S', 6, 0, 0, 0, 0};
    SwfStream rest;
    writeHeader(rest, Header{});
    std::vector<uint8_t> tail(rest.bytes().begin() + 8, rest.bytes().end());
    tail.push_back(0);
    tail.push_back(0); // End
    uint32_t length = uint32_t(8 + tail.size());
    std::vector<uint8_t> packed(compressBound(uLong(tail.size())));
    uLongf n = packed.size();
    ASSERT_EQ(compress2(packed.data(), &n, tail.data(), uLong(tail.size()), 9), Z_OK);
    packed.resize(n);
    for (uint32_t declared : {length, length - 1, length + 1, 0xFFFFFFFFu}) {
        std::vector<uint8_t> cws = {'C',
                                    'W',
                                    'S',
                                    6,
                                    uint8_t(declared),
                                    uint8_t(declared >> 8),
                                    uint8_t(declared >> 16),
                                    uint8_t(declared >> 24)};
        cws.insert(cws.end(), packed.begin(), packed.end());
        EXPECT_EQ(readSwf(cws).ok(), declared == length) << declared;
    }
    std::vector<uint8_t> cut = {'C', 'W', 'S', 6, uint8_t(length), 0, 0, 0};
    cut.insert(cut.end(), packed.begin(), packed.begin() + long(packed.size() / 2));
    EXPECT_FALSE(readSwf(cut).ok());
}

} // namespace
} // namespace tavlo::swf
