#include "image_test_util.h"
#include "project/image/byte_io.h"
#include "project/image/fastlz.h"
#include "project/image/snapshot_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace tavlo::project {
namespace {

using namespace tavlo::project::test;
using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

std::optional<Bytes> decompress(const Bytes& in, std::size_t capacity) {
    Bytes out(capacity);
    const auto n = fastlzDecompress(in, out);
    if (!n) return std::nullopt;
    out.resize(*n);
    return out;
}

Bytes randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& v : b) v = static_cast<std::uint8_t>(rng());
    return b;
}

// Random text from a small vocabulary, with a block repeated far away (beyond 8192 bytes).
Bytes farRepeats() {
    Bytes b = randomBytes(3000, 11);
    const Bytes filler = randomBytes(20000, 12);
    Bytes out = b;
    out.insert(out.end(), filler.begin(), filler.end());
    out.insert(out.end(), b.begin(), b.end());
    return out;
}

TEST(FastlzCodec, RoundTripsAtBothLevels) {
    const auto pixels = desktop(320, 200);
    Bytes screen(pixels.size() * 4);
    std::memcpy(screen.data(), pixels.data(), screen.size());
    struct Case {
        const char* name;
        Bytes data;
    } cases[] = {
        {"one byte", {42}},
        {"three bytes", bytesOf("abc")},
        {"short text", bytesOf("the quick brown fox jumps over the lazy dog, the quick brown fox")},
        {"one value repeated", Bytes(100000, 0x7E)},
        {"random", randomBytes(70000, 3)},
        {"screen pixels", screen},
        {"repeat beyond 8192 bytes", farRepeats()},
        {"literal runs of exactly 32", randomBytes(64, 4)},
    };
    for (int level : {1, 2}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " level " + std::to_string(level));
            Bytes z;
            fastlzCompress(level, c.data, z);
            ASSERT_FALSE(z.empty());
            EXPECT_EQ(z[0] >> 5, level - 1);
            EXPECT_LE(z.size(), c.data.size() + c.data.size() / 32 + 1);
            const auto back = decompress(z, c.data.size());
            ASSERT_TRUE(back.has_value());
            EXPECT_EQ(*back, c.data);
            // One byte less room is refused, not overrun.
            EXPECT_FALSE(decompress(z, c.data.size() - 1).has_value());
        }
    }
    Bytes empty;
    fastlzCompress(1, {}, empty);
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(decompress({}, 0), Bytes{});
}

TEST(FastlzCodec, CompressesWhatRepeats) {
    const Bytes same(100000, 1);
    Bytes z1, z2;
    fastlzCompress(1, same, z1);
    fastlzCompress(2, same, z2);
    EXPECT_LT(z1.size(), same.size() / 50); // 264-byte matches at most
    EXPECT_LT(z2.size(), z1.size() / 2);    // level 2: one more byte per 255 of length
    const Bytes far = farRepeats();
    Bytes f1, f2;
    fastlzCompress(1, far, f1);
    fastlzCompress(2, far, f2);
    EXPECT_LT(f2.size() + 2500, f1.size()); // only level 2 reaches the repeat 23,000 bytes back
}

TEST(FastlzCodec, HandMadeInstructionsDecodeAsTheFormatSays) {
    struct Case {
        const char* name;
        Bytes stream;
        std::string expected;
    } cases[] = {
        {"level 1 literal, then match of 3 at distance 3", {0x02, 'a', 'b', 'c', 0x20, 0x02}, "abcabc"},
        {"level 1 overlapping match repeats", {0x00, 'x', 0xA0, 0x00}, std::string(1 + 7, 'x')},
        {"level 1 long match: 9 + extra byte", {0x00, 'y', 0xE0, 0x01, 0x00}, std::string(11, 'y')},
        {"level 2 mark, long match with a 255 chain",
         {0x20, 'z', 0xE0, 0xFF, 0x01, 0x00},
         std::string(1 + 9 + 256, 'z')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto out = decompress(c.stream, 1000);
        ASSERT_TRUE(out.has_value());
        EXPECT_EQ(std::string(out->begin(), out->end()), c.expected);
    }
    // Level 2 far match: distance 8191 + 2 + 1 from the 16-bit field 0x0002.
    Bytes far;
    const Bytes lit = randomBytes(8194, 21);
    for (std::size_t i = 0; i < lit.size(); i += 32) {
        const std::size_t run = std::min<std::size_t>(32, lit.size() - i);
        far.push_back(static_cast<std::uint8_t>(run - 1));
        far.insert(far.end(), lit.begin() + i, lit.begin() + i + run);
    }
    far[0] |= 0x20;
    const Bytes match = {0x3F, 0xFF, 0x00, 0x02}; // length 3, far, extra distance 2
    far.insert(far.end(), match.begin(), match.end());
    const auto out = decompress(far, 9000);
    ASSERT_TRUE(out.has_value());
    ASSERT_EQ(out->size(), 8197u);
    EXPECT_TRUE(std::equal(out->begin() + 8194, out->end(), lit.begin()));
}

TEST(FastlzCodec, DamagedStreamsAreRefused) {
    struct Case {
        const char* name;
        Bytes stream;
    } cases[] = {
        {"unknown level", {0x40, 'a'}},
        {"literal run past the input", {0x05, 'a', 'b'}},
        {"match before the start", {0x00, 'a', 0x20, 0x05}},
        {"match without its distance byte", {0x00, 'a', 0x20}},
        {"long match without its length byte", {0x00, 'a', 0xE0}},
        {"far match without its extra distance", {0x20, 'a', 0x3F, 0xFF, 0x00}},
        {"far match before the start", {0x20, 'a', 0x3F, 0xFF, 0x00, 0x00}},
        {"endless 255 chain", {0x20, 'a', 0xE0, 0xFF, 0xFF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(decompress(c.stream, 100000).has_value());
    }
}

TEST(FastlzCodec, CutAndFlippedStreamsNeverOverrun) {
    const auto pixels = photo(64, 64);
    Bytes data(pixels.size() * 4);
    std::memcpy(data.data(), pixels.data(), data.size());
    for (int level : {1, 2}) {
        Bytes z;
        fastlzCompress(level, data, z);
        for (std::size_t cut = 0; cut < z.size(); cut += 7) {
            const Bytes part(z.begin(), z.begin() + static_cast<std::ptrdiff_t>(cut));
            const auto out = decompress(part, data.size());
            if (out) {
                EXPECT_LE(out->size(), data.size());
            }
        }
        std::mt19937 rng(level);
        for (int i = 0; i < 300; ++i) {
            Bytes bad = z;
            bad[rng() % bad.size()] ^= static_cast<std::uint8_t>(1 + rng() % 255);
            (void)decompress(bad, data.size()); // any answer, but within bounds (sanitizers watch)
        }
    }
}

TEST(FastlzCodec, SnapshotsRoundTripAndPaintCentred) {
    PixelBuffer pic(30, 20);
    const auto cols = photo(30, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) pic.row(y)[x] = cols[std::size_t(x) * 20 + y];
    const auto blob = encodeSnapshot(pic);
    EXPECT_EQ(getU32At(blob.data()), blob.size() - 16);
    const auto back = decodeSnapshot(blob);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->width, 30);
    EXPECT_EQ(back->height, 20);
    EXPECT_EQ(back->pixels, pic.pixels);

    PixelBuffer bigger(40, 26, 9);
    paintSnapshot(bigger, *back);
    EXPECT_EQ(bigger.at(4, 2), 9u);
    EXPECT_EQ(bigger.at(5, 3), pic.at(0, 0));
    EXPECT_EQ(bigger.at(34, 22), pic.at(29, 19));
    EXPECT_EQ(bigger.at(35, 23), 9u);
    PixelBuffer smaller(10, 10, 9);
    paintSnapshot(smaller, *back);
    EXPECT_EQ(smaller.at(0, 0), pic.at(10, 5));
    EXPECT_EQ(smaller.at(9, 9), pic.at(19, 14));
}

TEST(FastlzCodec, DamagedSnapshotsAreRefusedBeforeAllocating) {
    auto blob = [](std::uint32_t n, std::int32_t w, std::int32_t h, std::size_t dataBytes) {
        Bytes b(12 + dataBytes, 0);
        putU32At(b.data(), n);
        putU32At(b.data() + 4, static_cast<std::uint32_t>(w));
        putU32At(b.data() + 8, static_cast<std::uint32_t>(h));
        return b;
    };
    EXPECT_FALSE(decodeSnapshot(blob(10, 30000, 30000, 10)).has_value()); // 3.6 GB from 10 bytes
    EXPECT_FALSE(decodeSnapshot(blob(10, -4, 4, 10)).has_value());
    EXPECT_FALSE(decodeSnapshot(blob(10, 4, 0, 10)).has_value());
    EXPECT_FALSE(decodeSnapshot(blob(100, 4, 4, 10)).has_value()); // n beyond the blob
    EXPECT_FALSE(decodeSnapshot(Bytes(11, 0)).has_value());
    EXPECT_FALSE(decompressSnapshotPixels(70000, 1, Bytes(1000, 0)).has_value());
    // Data that decodes to fewer bytes than width × height × 4.
    PixelBuffer pic(8, 8, 0x123456);
    auto good = encodeSnapshot(pic);
    putU32At(good.data() + 8, 9);
    EXPECT_FALSE(decodeSnapshot(good).has_value());
}

} // namespace
} // namespace tavlo::project
