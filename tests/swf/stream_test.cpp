#include "swf/read.h"
#include "swf/stream.h"
#include "swf/write.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace tavlo::swf
