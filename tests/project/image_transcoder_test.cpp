#include "image_test_util.h"
#include "project/image/chunk_decoder.h"
#include "project/image/chunk_transcoder.h"
#include "project/image/record_encoder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace tavlo::project {
namespace {

using namespace tavlo::project::test;

constexpr int W = 200, H = 120;

std::vector<std::uint8_t> mixedChunk(PixelEncoding e) {
    std::vector<std::uint8_t> chunk;
    RecordEncoder enc;
    const auto a = desktop(120, 60, 1), b = desktop(120, 60, 4), p = photo(64, 48), big = noise(300, 10);
    enc.rectangle(RecordType::Before, 0, {10, 10, 129, 69}, a.data(), e, 80, chunk, nullptr);
    enc.rectangle(RecordType::After, 0, {10, 10, 129, 69}, b.data(), e, 80, chunk, nullptr);
    RecordEncoder::idle(25, chunk);
    enc.rectangle(RecordType::Before, 0, {130, 70, 193, 117}, a.data(), e, 80, chunk, nullptr);
    enc.rectangle(RecordType::After, 0, {130, 70, 193, 117}, p.data(), e, 80, chunk, nullptr);
    enc.rectangle(RecordType::Pointer, 4, {0, 0, 299, 9}, big.data(), e, 80, chunk, nullptr); // never shown
    enc.rectangle(RecordType::Pointer, 9, {50, 50, 81, 81}, desktop(32, 32, 2).data(), e, 80, chunk, nullptr);
    return chunk;
}

void expectSamePictures(const DecodedChunk& a, const DecodedChunk& b, double minPsnr) {
    ASSERT_EQ(a.after.size(), b.after.size());
    ASSERT_EQ(a.before.size(), b.before.size());
    for (int list = 0; list < 2; ++list) {
        const auto& la = list ? a.before : a.after;
        const auto& lb = list ? b.before : b.after;
        for (std::size_t i = 0; i < la.size(); ++i) {
            EXPECT_EQ(la[i].rect, lb[i].rect);
            PixelBuffer pa(W, H, 0), pb(W, H, 0);
            paintRect(pa, la[i]);
            paintRect(pb, lb[i]);
            if (minPsnr == 0)
                EXPECT_EQ(pa.pixels, pb.pixels) << list << " " << i;
            else
                EXPECT_GT(psnr(pa.pixels, pb.pixels), minPsnr) << list << " " << i;
        }
    }
    EXPECT_EQ(a.idleTime, b.idleTime);
    ASSERT_EQ(a.pointer.has_value(), b.pointer.has_value());
    EXPECT_EQ(a.pointerTime, b.pointerTime);
}

TEST(ImageTranscoder, RunLengthChunksBecomeBlocksWithTheSamePictures) {
    const auto chunk = mixedChunk(PixelEncoding::Rle24);
    std::vector<std::uint8_t> out;
    ColourHistogram histogram{};
    const TranscodeResult r =
        recompressChunk(chunk, PixelEncoding::Rle24, PixelEncoding::Block, W, H, 80, out, &histogram);
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.records, 6u); // the oversized pointer picture is dropped
    std::uint64_t counted = 0;
    for (auto v : histogram) counted += v;
    EXPECT_EQ(counted, 2u * 120 * 60 + 2u * 64 * 48 + 32 * 32); // the pixels written, once each
    const DecodedChunk before = decodeChunk(chunk, PixelEncoding::Rle24, W, H);
    const DecodedChunk after = decodeChunk(out, PixelEncoding::Block, W, H);
    EXPECT_FALSE(after.failed);
    // The photographic rectangle goes to JPEG, the rest stays exact.
    EXPECT_FALSE(after.after[0].rowMajor);
    EXPECT_TRUE(after.after[1].rowMajor);
    expectSamePictures(before, after, 34.0);
}

TEST(ImageTranscoder, JpegBlocksReturnToRunLengthInColumnOrder) {
    const auto chunk = mixedChunk(PixelEncoding::Block);
    std::vector<std::uint8_t> out;
    const TranscodeResult r =
        recompressChunk(chunk, PixelEncoding::Block, PixelEncoding::Rle24, W, H, 80, out, nullptr);
    EXPECT_TRUE(r.complete);
    DecodedChunk blocks = decodeChunk(chunk, PixelEncoding::Block, W, H);
    const DecodedChunk rle = decodeChunk(out, PixelEncoding::Rle24, W, H);
    ASSERT_TRUE(blocks.after[1].rowMajor);
    for (auto* list : {&blocks.after, &blocks.before})
        for (auto& d : *list)
            for (auto& p : d.pixels) p &= 0x00FEFFFF; // what the run-length form keeps
    expectSamePictures(blocks, rle, 0);
}

TEST(ImageTranscoder, ADamagedChunkKeepsTheRecordsBeforeTheDamage) {
    auto chunk = mixedChunk(PixelEncoding::Rle24);
    const DecodedChunk whole = decodeChunk(chunk, PixelEncoding::Rle24, W, H);
    chunk.resize(chunk.size() * 2 / 3);
    std::vector<std::uint8_t> out;
    const TranscodeResult r =
        recompressChunk(chunk, PixelEncoding::Rle24, PixelEncoding::Block, W, H, 80, out, nullptr);
    EXPECT_FALSE(r.complete);
    EXPECT_GE(r.records, 2u);
    const DecodedChunk d = decodeChunk(out, PixelEncoding::Block, W, H);
    EXPECT_FALSE(d.failed); // well-formed, only shorter
    ASSERT_GE(d.after.size(), 1u);
    EXPECT_EQ(d.after[0].pixels, whole.after[0].pixels);
}

TEST(ImageTranscoder, CopyChunkCopiesTheRangeOrFails) {
    TempFolder dir;
    std::vector<std::uint8_t> bytes(200'000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + (i >> 8));
    ASSERT_TRUE(writeFile(dir.file("src"), bytes));
    const int src = ::open(dir.file("src").c_str(), O_RDONLY);
    const int dst = ::open(dir.file("dst").c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
    ASSERT_GE(src, 0);
    ASSERT_GE(dst, 0);
    EXPECT_TRUE(copyChunk(src, 1000, 150'000, dst));
    EXPECT_TRUE(copyChunk(src, 5, 6, dst));
    EXPECT_FALSE(copyChunk(src, 199'000, 201'000, dst)); // beyond the end of the source
    ::close(src);
    ::close(dst);
    const auto got = readFile(dir.file("dst"));
    ASSERT_GE(got.size(), 149'001u);
    EXPECT_TRUE(std::equal(bytes.begin() + 1000, bytes.begin() + 150'000, got.begin()));
    EXPECT_EQ(got[149'000], bytes[5]);
}

} // namespace
} // namespace tavlo::project
