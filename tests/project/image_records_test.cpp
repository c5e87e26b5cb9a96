#include "image_test_util.h"
#include "project/image/block_codec.h"
#include "project/image/byte_io.h"
#include "project/image/chunk_decoder.h"
#include "project/image/record_encoder.h"
#include "project/image/rle_codec.h"

#include <gtest/gtest.h>

namespace tavlo::project {
namespace {

using namespace tavlo::project::test;

std::vector<std::uint32_t> decode24(const std::vector<std::uint8_t>& bytes, std::size_t count,
                                    RleResult* r = nullptr) {
    std::vector<std::uint32_t> out(count, 0xDEADBEEF);
    ByteReader in(bytes);
    const RleResult res = decodeRle24(in, out.data(), count);
    if (r) *r = res;
    return out;
}

TEST(ImageRecords, OneColourHundredByFiftyIsOneRunPrefixAndOnePixel) {
    const auto pixels = flat(100, 50, 0x00C86432); // red 0xC8, green 0x64, blue 0x32
    std::vector<std::uint8_t> out;
    encodeRle24(pixels.data(), pixels.size(), out, nullptr);
    const std::vector<std::uint8_t> expected = {0x93, 0x87, 0xC8 >> 1, 0x32, 0x64};
    EXPECT_EQ(out, expected);
    RleResult r;
    const auto back = decode24(out, pixels.size(), &r);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(back, pixels);
}

TEST(ImageRecords, FifteenBitWordsExpandWithLowBitsSet) {
    EXPECT_EQ(expand15(0x7FFF), 0x00FFFFFFu);
    EXPECT_EQ(expand15(0x0000), 0x00070707u);
    // A repeat word, then a pixel: 0x8002 0x7C00 is three pixels of pure red.
    const std::vector<std::uint8_t> bytes = {0x02, 0x80, 0x00, 0x7C};
    std::vector<std::uint32_t> out(3);
    ByteReader in(bytes);
    const RleResult r = decodeRle15(in, out.data(), 3);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(out, (std::vector<std::uint32_t>(3, 0x00FF0707)));
}

TEST(ImageRecords, RunsStopAtTheWritersLimitAndPrefixesAddUp) {
    // 40,000 equal pixels: one run of 32,768 (prefix 0xFF 0xFF) and one of 7,232.
    const auto pixels = flat(200, 200, 0x00102030);
    std::vector<std::uint8_t> out;
    encodeRle24(pixels.data(), pixels.size(), out, nullptr);
    ASSERT_EQ(out.size(), 10u);
    EXPECT_EQ(out[0], 0xFF);
    EXPECT_EQ(out[1], 0xFF);
    const std::size_t second = 7232 - 1;
    EXPECT_EQ(out[5], 0x80 | (second >> 8));
    EXPECT_EQ(out[6], second & 0xFF);
    EXPECT_EQ(decode24(out, pixels.size()), pixels);

    // Readers add up consecutive prefixes: 0x80 0x01 twice is 2 repeats, so 3 pixels.
    const std::vector<std::uint8_t> chained = {0x80, 0x01, 0x80, 0x01, 0x10, 0x20, 0x30};
    const auto three = decode24(chained, 3);
    EXPECT_EQ(three, (std::vector<std::uint32_t>(3, 0x00203020)));
}

struct RoundTripCase {
    const char* name;
    PixelEncoding encoding;
    std::vector<std::uint32_t> (*make)(int, int);
    int width, height;
    double minPsnr; // 0 = exact after the encoding's own loss
};

std::vector<std::uint32_t> makeDesktop(int w, int h) {
    return desktop(w, h);
}
std::vector<std::uint32_t> makePhoto(int w, int h) {
    return photo(w, h);
}
std::vector<std::uint32_t> makeNoise(int w, int h) {
    return noise(w, h);
}

// What a pixel is after the encoding's own loss.
std::uint32_t expectedAfter(PixelEncoding e, std::uint32_t p) {
    if (e == PixelEncoding::Rle24) return p & 0x00FEFFFF;
    if (e == PixelEncoding::Rle15) return expand15(static_cast<std::uint16_t>(colourIndex(p)));
    return p;
}

TEST(ImageRecords, EveryEncodingRoundTripsThroughAChunk) {
    const RoundTripCase cases[] = {
        {"rle24 desktop", PixelEncoding::Rle24, makeDesktop, 300, 120, 0},
        {"rle24 noise", PixelEncoding::Rle24, makeNoise, 64, 64, 0},
        {"rle15 desktop", PixelEncoding::Rle15, makeDesktop, 300, 120, 0},
        {"rle15 noise", PixelEncoding::Rle15, makeNoise, 33, 17, 0},
        {"block zlib desktop", PixelEncoding::Block, makeDesktop, 300, 120, 0},
        {"block zlib narrow noise", PixelEncoding::Block, makeNoise, 15, 300, 0},
        {"block jpeg photo", PixelEncoding::Block, makePhoto, 320, 200, 36},
        {"block jpeg noise", PixelEncoding::Block, makeNoise, 64, 64, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto pixels = c.make(c.width, c.height);
        const PixelRect rect{5, 7, 5 + c.width - 1, 7 + c.height - 1};
        std::vector<std::uint8_t> chunk;
        RecordEncoder enc;
        ColourHistogram histogram{};
        ASSERT_TRUE(
            enc.rectangle(RecordType::Before, 0, rect, pixels.data(), c.encoding, 95, chunk, &histogram));
        ASSERT_TRUE(
            enc.rectangle(RecordType::After, 0, rect, pixels.data(), c.encoding, 95, chunk, &histogram));
        std::uint64_t counted = 0;
        for (auto v : histogram) counted += v;
        EXPECT_EQ(counted, 2 * pixels.size()); // every pixel written counts once

        const DecodedChunk d = decodeChunk(chunk, c.encoding, 400, 400);
        EXPECT_FALSE(d.failed);
        ASSERT_EQ(d.after.size(), 1u);
        ASSERT_EQ(d.before.size(), 1u);
        EXPECT_EQ(d.decodedSize(), 1 + 2 * pixels.size());
        PixelBuffer picture(400, 400, 0x00ABCDEF);
        paintForward(picture, d);
        std::vector<std::uint32_t> got =
            columns(c.width, c.height, [&](int x, int y) { return picture.at(rect.left + x, rect.top + y); });
        if (c.minPsnr > 0) {
            EXPECT_TRUE(d.after[0].rowMajor);
            EXPECT_GT(psnr(got, pixels), c.minPsnr);
        } else {
            std::vector<std::uint32_t> want(pixels.size());
            for (std::size_t i = 0; i < pixels.size(); ++i) want[i] = expectedAfter(c.encoding, pixels[i]);
            EXPECT_EQ(got, want);
        }
        EXPECT_EQ(picture.at(4, 7), 0x00ABCDEFu);                        // left of the rectangle
        EXPECT_EQ(picture.at(rect.right + 1, rect.bottom), 0x00ABCDEFu); // right of it
    }
}

// The kind a block starts with.
std::uint32_t blockKindFor(const std::vector<std::uint32_t>& pixels, int w, int h, int quality) {
    BlockEncoder enc;
    std::vector<std::uint8_t> out;
    EXPECT_TRUE(enc.encode(pixels.data(), w, h, quality, out, nullptr));
    return getU32At(out.data());
}

// Column pixels with `distinct` different 15-bit colours cycling through them.
std::vector<std::uint32_t> withDistinctColours(int w, int h, int distinct) {
    int i = 0;
    return columns(w, h, [&](int, int) { return std::uint32_t((i++ % distinct) << 3); }); // blue steps of 8
}

TEST(ImageRecords, BlockChoiceFollowsDiversityAndSize) {
    struct Case {
        const char* name;
        int w, h, distinct, quality;
        std::uint32_t kind;
    } cases[] = {
        {"16x200, 26 colours, quality 95", 16, 200, 26, 95, kBlockJpeg},
        {"16x200, 25 colours, quality 95", 16, 200, 25, 95, kBlockZlib24},
        {"15x200 never (not wider than 15)", 15, 200, 32, 95, kBlockZlib24},
        {"200x15 never (not taller than 15)", 200, 15, 32, 95, kBlockZlib24},
        {"40x40 never (no complete group)", 40, 40, 32, 95, kBlockZlib24},
        {"16x200, 26 colours, quality 80 needs more than 2", 16, 200, 26, 80, kBlockZlib24},
        {"16x200, 32 colours, quality 80 (1.28 < 2)", 16, 200, 32, 80, kBlockZlib24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(blockKindFor(withDistinctColours(c.w, c.h, c.distinct), c.w, c.h, c.quality), c.kind);
    }
    // diversity = distinct × 100 / groups × 0.0004
    const auto px = withDistinctColours(16, 200, 26);
    EXPECT_DOUBLE_EQ(blockDiversity(px.data(), px.size(), nullptr), 26 * 100 * 0.0004);
    EXPECT_DOUBLE_EQ(blockDiversity(px.data(), 2499, nullptr), 0.0);
}

TEST(ImageRecords, ChunkWithAllRecordTypesDecodesInOrder) {
    std::vector<std::uint8_t> chunk;
    RecordEncoder enc;
    const auto a = flat(10, 10, 0x00112233), b = flat(10, 10, 0x00445566);
    const auto ptr = desktop(32, 32);
    const PixelRect r{0, 0, 9, 9};
    ASSERT_TRUE(enc.rectangle(RecordType::Before, 0, r, a.data(), PixelEncoding::Rle24, 95, chunk, nullptr));
    ASSERT_TRUE(enc.rectangle(RecordType::After, 0, r, b.data(), PixelEncoding::Rle24, 95, chunk, nullptr));
    RecordEncoder::idle(30, chunk);
    ASSERT_TRUE(enc.rectangle(RecordType::Pointer, 12, {-5, -3, 26, 28}, ptr.data(), PixelEncoding::Rle24, 95,
                              chunk, nullptr));
    RecordEncoder::idle(20, chunk);
    chunk.push_back(0); // a type outside 1 to 4 ends the chunk
    chunk.push_back(2);

    const DecodedChunk d = decodeChunk(chunk, PixelEncoding::Rle24, 64, 64);
    EXPECT_FALSE(d.failed);
    ASSERT_EQ(d.before.size(), 1u);
    ASSERT_EQ(d.after.size(), 1u);
    EXPECT_EQ(d.before[0].pixels, flat(10, 10, 0x00102233)); // red's lowest bit is not stored
    EXPECT_EQ(d.after[0].pixels, b);
    ASSERT_TRUE(d.pointer.has_value());
    EXPECT_EQ(d.pointer->rect, (PixelRect{-5, -3, 26, 28}));
    EXPECT_EQ(d.pointerTime, 12);
    EXPECT_EQ(d.idleTime, 50);

    PixelBuffer picture(64, 64, 0);
    paintForward(picture, d);
    EXPECT_EQ(picture.at(9, 9), 0x00445566u);
    paintBackward(picture, d);
    EXPECT_EQ(picture.at(9, 9), 0x00102233u);
}

TEST(ImageRecords, SelectedRecordsAloneAreDecoded) {
    for (PixelEncoding e : {PixelEncoding::Rle24, PixelEncoding::Rle15, PixelEncoding::Block}) {
        SCOPED_TRACE(static_cast<int>(e));
        std::vector<std::uint8_t> chunk;
        RecordEncoder enc;
        const auto a = desktop(40, 30, 1), b = photo(40, 30);
        for (int i = 0; i < 2; ++i) {
            const PixelRect r{i * 40, 0, i * 40 + 39, 29};
            ASSERT_TRUE(enc.rectangle(RecordType::Before, 0, r, a.data(), e, 95, chunk, nullptr));
            ASSERT_TRUE(enc.rectangle(RecordType::After, 0, r, b.data(), e, 95, chunk, nullptr));
        }
        const DecodedChunk both = decodeChunk(chunk, e, 80, 30);
        const DecodedChunk fwd = decodeChunk(chunk, e, 80, 30, RecordSelection::ForwardOnly);
        const DecodedChunk back = decodeChunk(chunk, e, 80, 30, RecordSelection::BackwardOnly);
        for (const DecodedChunk* d : {&both, &fwd, &back}) EXPECT_FALSE(d->failed);
        EXPECT_TRUE(fwd.before.empty());
        EXPECT_TRUE(back.after.empty());
        ASSERT_EQ(fwd.after.size(), 2u);
        ASSERT_EQ(back.before.size(), 2u);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(fwd.after[i].pixels, both.after[i].pixels);
            EXPECT_EQ(back.before[i].pixels, both.before[i].pixels);
        }
        EXPECT_EQ(fwd.decodedPixels, 2 * 40 * 30u);
    }
}

TEST(ImageRecords, OversizedPointerPictureIsSteppedOverNotShown) {
    for (PixelEncoding e : {PixelEncoding::Rle24, PixelEncoding::Rle15, PixelEncoding::Block}) {
        SCOPED_TRACE(static_cast<int>(e));
        std::vector<std::uint8_t> chunk;
        RecordEncoder enc;
        const auto big = noise(300, 20);
        const auto after = flat(8, 8, 0x00808080);
        ASSERT_TRUE(
            enc.rectangle(RecordType::Pointer, 5, {0, 0, 299, 19}, big.data(), e, 95, chunk, nullptr));
        ASSERT_TRUE(enc.rectangle(RecordType::After, 0, {2, 2, 9, 9}, after.data(), e, 95, chunk, nullptr));
        const DecodedChunk d = decodeChunk(chunk, e, 64, 64);
        EXPECT_FALSE(d.failed);
        EXPECT_FALSE(d.pointer.has_value());
        ASSERT_EQ(d.after.size(), 1u); // the record after it is still found
        EXPECT_EQ(d.after[0].rect, (PixelRect{2, 2, 9, 9}));
    }
}

TEST(ImageRecords, TruncatedRectangleKeepsWhatArrivedAndLeavesTheRestUndrawn) {
    // Column order: a 4 × 3 rectangle whose stream ends after 7 pixels leaves columns 0, 1 and
    // the first pixel of column 2 drawn.
    const auto px = noise(4, 3);
    std::vector<std::uint8_t> chunk;
    RecordEncoder enc;
    ASSERT_TRUE(enc.rectangle(RecordType::After, 0, {1, 1, 4, 3}, px.data(), PixelEncoding::Rle24, 95, chunk,
                              nullptr));
    chunk.resize(1 + 8 + 7 * 3); // noise has no runs: three bytes per pixel
    const DecodedChunk d = decodeChunk(chunk, PixelEncoding::Rle24, 10, 10);
    EXPECT_TRUE(d.failed);
    ASSERT_EQ(d.after.size(), 1u);
    EXPECT_EQ(d.after[0].decoded, 7u);
    PixelBuffer picture(10, 10, 1);
    paintForward(picture, d);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 3; ++y) {
            const bool drawn = x * 3 + y < 7;
            EXPECT_EQ(picture.at(1 + x, 1 + y), drawn ? (px[std::size_t(x) * 3 + y] & 0x00FEFFFF) : 1u)
                << x << "," << y;
        }
}

// A chunk of two good records followed by `tail`.
std::vector<std::uint8_t> goodThen(const std::vector<std::uint8_t>& tail, PixelEncoding e) {
    std::vector<std::uint8_t> chunk;
    RecordEncoder enc;
    const auto px = flat(4, 4, 0x00FF0000);
    enc.rectangle(RecordType::Before, 0, {0, 0, 3, 3}, px.data(), e, 95, chunk, nullptr);
    enc.rectangle(RecordType::After, 0, {0, 0, 3, 3}, px.data(), e, 95, chunk, nullptr);
    chunk.insert(chunk.end(), tail.begin(), tail.end());
    return chunk;
}

std::vector<std::uint8_t> recordHead(std::uint8_t type, int l, int r, int t, int b) {
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    w.u8(type);
    w.i16(static_cast<std::int16_t>(l));
    w.i16(static_cast<std::int16_t>(r));
    w.i16(static_cast<std::int16_t>(t));
    w.i16(static_cast<std::int16_t>(b));
    return out;
}

std::vector<std::uint8_t> zlibBlockClaiming(std::uint32_t count, std::size_t actualBytes);

TEST(ImageRecords, DamagedRecordsEndTheChunkWithThePictureSoFar) {
    auto with = [](std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    struct Case {
        const char* name;
        PixelEncoding encoding;
        std::vector<std::uint8_t> tail;
        std::size_t kept = 1; // type-2 rectangles kept: the good one, and a damaged one's pixels so far
    } cases[] = {
        {"negative left", PixelEncoding::Rle24, with(recordHead(2, -1, 3, 0, 3), {0x10, 0x10, 0x10})},
        {"right outside the frame", PixelEncoding::Rle24,
         with(recordHead(2, 0, 16, 0, 3), {0x10, 0x10, 0x10})},
        {"right before left", PixelEncoding::Rle24, with(recordHead(2, 5, 4, 0, 3), {0x10, 0x10, 0x10})},
        {"record head cut short", PixelEncoding::Rle24, {2, 0, 0, 3}},
        {"run past the rectangle", PixelEncoding::Rle24,
         with(recordHead(2, 0, 1, 0, 1), {0x80, 0x09, 1, 2, 3}), 2},
        {"block longer than allowed", PixelEncoding::Block,
         with(recordHead(2, 0, 3, 0, 3), {0xFF, 0xFF, 0xFF, 0x7F, 0x01, 0x40, 0x7E, 0x05})},
        {"block kind not a length", PixelEncoding::Block,
         with(recordHead(2, 0, 3, 0, 3), {0x00, 0x00, 0x00, 0x70})},
        {"block cut short", PixelEncoding::Block,
         with(recordHead(2, 0, 3, 0, 3), {0xFD, 0xFF, 0xFF, 0x7F, 0x40, 0, 0, 0, 1, 2, 3})},
        {"zlib claims more than the rectangle", PixelEncoding::Block,
         with(recordHead(2, 0, 3, 0, 3), zlibBlockClaiming(16 * 3 * 4, 16 * 3 * 4))},
        {"zlib holds more than the rectangle", PixelEncoding::Block,
         with(recordHead(2, 0, 3, 0, 3), zlibBlockClaiming(16 * 3, 16 * 3 + 300))},
        {"zlib holds less than the rectangle", PixelEncoding::Block,
         with(recordHead(2, 0, 3, 0, 3), zlibBlockClaiming(16 * 3, 16 * 3 - 3))},
        {"idle time cut short", PixelEncoding::Rle24, {4, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedChunk d = decodeChunk(goodThen(c.tail, c.encoding), c.encoding, 16, 16);
        EXPECT_TRUE(d.failed);
        ASSERT_EQ(d.after.size(), c.kept);
        PixelBuffer picture(16, 16, 0);
        paintForward(picture, d);
        EXPECT_EQ(picture.at(3, 3), c.encoding == PixelEncoding::Rle24 ? 0x00FE0000u : 0x00FF0000u);
        EXPECT_EQ(picture.at(4, 4), 0u);
    }
}

} // namespace
} // namespace tavlo::project

#include <zlib.h>

namespace tavlo::project {
namespace {

// A zlib block (kind 0x7FFFFFFD) whose content claims `count` pixel bytes and holds `actualBytes`.
std::vector<std::uint8_t> zlibBlockClaiming(std::uint32_t count, std::size_t actualBytes) {
    std::vector<std::uint8_t> raw(4 + actualBytes, 0x55);
    putU32At(raw.data(), count);
    uLongf n = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> z(n);
    compress(z.data(), &n, raw.data(), static_cast<uLong>(raw.size()));
    z.resize(n);
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    w.u32(kBlockZlib24);
    w.u32(static_cast<std::uint32_t>(z.size()));
    w.bytes(z.data(), z.size());
    return out;
}

} // namespace
} // namespace tavlo::project
