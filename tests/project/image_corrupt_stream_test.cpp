// Damaged chunks give a partial picture and never read or write out of bounds (the sanitizer
// builds run these too).
#include "image_test_util.h"
#include "project/image/chunk_decoder.h"
#include "project/image/record_encoder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace tavlo::project {
namespace {

using namespace tavlo::project::test;

constexpr int W = 96, H = 64;

std::vector<std::uint8_t> sampleChunk(PixelEncoding e) {
    std::vector<std::uint8_t> chunk;
    RecordEncoder enc;
    const auto full = desktop(W, H);
    const auto pic = photo(40, 30);
    const auto ptr = desktop(16, 16, 3);
    enc.rectangle(RecordType::Before, 0, {0, 0, W - 1, H - 1}, full.data(), e, 50, chunk, nullptr);
    enc.rectangle(RecordType::After, 0, {0, 0, W - 1, H - 1}, full.data(), e, 50, chunk, nullptr);
    enc.rectangle(RecordType::After, 0, {50, 30, 89, 59}, pic.data(), e, 50, chunk, nullptr);
    enc.rectangle(RecordType::Pointer, 7, {90, 60, 105, 75}, ptr.data(), e, 50, chunk, nullptr);
    RecordEncoder::idle(9, chunk);
    return chunk;
}

void decodeAndPaint(std::span<const std::uint8_t> bytes, PixelEncoding e, DecodedChunk* out = nullptr) {
    DecodedChunk d = decodeChunk(bytes, e, W, H);
    PixelBuffer picture(W, H, 0);
    paintForward(picture, d);
    paintBackward(picture, d, -3, 5);
    if (d.pointer) paintRect(picture, *d.pointer, 2, 2);
    if (out) *out = std::move(d);
}

TEST(ImageCorruptStream, EveryTruncationGivesAPartialPicture) {
    for (PixelEncoding e : {PixelEncoding::Rle24, PixelEncoding::Rle15, PixelEncoding::Block}) {
        SCOPED_TRACE(static_cast<int>(e));
        const auto chunk = sampleChunk(e);
        DecodedChunk whole;
        decodeAndPaint(chunk, e, &whole);
        ASSERT_FALSE(whole.failed);
        ASSERT_EQ(whole.after.size(), 2u);
        std::size_t last = 0;
        const std::size_t step = std::max<std::size_t>(1, chunk.size() / 1500);
        for (std::size_t n = 0; n < chunk.size(); n += step) {
            // A copy of exactly n bytes, so that the sanitizers see any read beyond them.
            std::vector<std::uint8_t> part(n);
            if (n > 0) std::memcpy(part.data(), chunk.data(), n);
            DecodedChunk d;
            decodeAndPaint(part, e, &d);
            EXPECT_LE(d.decodedPixels, whole.decodedPixels);
            EXPECT_GE(d.decodedPixels, last); // more bytes never show less
            last = d.decodedPixels;
        }
    }
}

TEST(ImageCorruptStream, FlippedBytesNeverCrash) {
    for (PixelEncoding e : {PixelEncoding::Rle24, PixelEncoding::Rle15, PixelEncoding::Block}) {
        SCOPED_TRACE(static_cast<int>(e));
        const auto chunk = sampleChunk(e);
        std::mt19937 rng(static_cast<unsigned>(e) + 1);
        for (int i = 0; i < 400; ++i) {
            auto bad = chunk;
            const int flips = 1 + int(rng() % 4);
            for (int f = 0; f < flips; ++f) {
                // Mostly in the record heads and block headers, where damage matters most.
                const std::size_t at =
                    (rng() % 2) ? rng() % std::min<std::size_t>(bad.size(), 64) : rng() % bad.size();
                bad[at] ^= static_cast<std::uint8_t>(1 + rng() % 255);
            }
            decodeAndPaint(bad, e);
        }
    }
}

TEST(ImageCorruptStream, PaintingClipsToThePicture) {
    DecodedRect r;
    r.rect = {0, 0, 9, 9};
    r.pixels.assign(100, 7);
    r.decoded = 100;
    for (bool rowMajor : {false, true}) {
        r.rowMajor = rowMajor;
        for (auto [dx, dy] : {std::pair{-5, -5}, {5, 5}, {-20, 0}, {0, 100}, {-9, -9}, {8, 9}}) {
            PixelBuffer pic(10, 10, 0);
            paintRect(pic, r, dx, dy);
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 10; ++x) {
                    const bool inside = x - dx >= 0 && x - dx < 10 && y - dy >= 0 && y - dy < 10;
                    ASSERT_EQ(pic.at(x, y), inside ? 7u : 0u) << dx << "," << dy << " at " << x << "," << y;
                }
        }
    }
}

TEST(ImageCorruptStream, ChunkRangesBeyondTheFileDecodeWhatIsThere) {
    TempFolder dir;
    const auto chunk = sampleChunk(PixelEncoding::Rle24);
    std::vector<std::uint8_t> file(100 + chunk.size(), 0xEE); // something before the chunk
    std::memcpy(file.data() + 100, chunk.data(), chunk.size());
    ASSERT_TRUE(writeFile(dir.file("data"), file));
    const int fd = ::open(dir.file("data").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    const auto whole = decodeChunkFromFile(fd, 100, std::int64_t(file.size()), PixelEncoding::Rle24, W, H);
    EXPECT_FALSE(whole.failed);
    EXPECT_EQ(whole.after.size(), 2u);
    const auto beyond =
        decodeChunkFromFile(fd, 100, std::int64_t(file.size()) + 5000, PixelEncoding::Rle24, W, H);
    EXPECT_TRUE(beyond.failed);
    EXPECT_EQ(beyond.after.size(), 2u);
    const auto nothing = decodeChunkFromFile(fd, 1 << 20, (1 << 20) + 10, PixelEncoding::Rle24, W, H);
    EXPECT_TRUE(nothing.after.empty());
    const auto reversed = decodeChunkFromFile(fd, 50, 10, PixelEncoding::Rle24, W, H);
    EXPECT_TRUE(reversed.after.empty());
    ::close(fd);
}

} // namespace
} // namespace tavlo::project
