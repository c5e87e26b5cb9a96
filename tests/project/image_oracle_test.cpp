// Outside decoders agree with ours: JPEG blocks through djpeg/cjpeg, zlib blocks through Python.
#include "image_test_util.h"
#include "project/image/block_codec.h"
#include "project/image/byte_io.h"
#include "project/image/jpeg_codec.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace tavlo::project {
namespace {

using namespace tavlo::project::test;

int run(const std::string& command) {
    return std::system(command.c_str());
}

// Parses a binary PPM (P6, maxval 255) into row-major 0x00RRGGBB pixels.
bool readPpm(const std::vector<std::uint8_t>& bytes, int& w, int& h, std::vector<std::uint32_t>& out) {
    std::size_t pos = 0;
    auto token = [&]() {
        std::string t;
        while (pos < bytes.size()) {
            const char c = static_cast<char>(bytes[pos]);
            if (c == '#') {
                while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                if (!t.empty()) break;
                ++pos;
            } else {
                t += c;
                ++pos;
            }
        }
        return t;
    };
    if (token() != "P6") return false;
    w = std::atoi(token().c_str());
    h = std::atoi(token().c_str());
    if (token() != "255") return false;
    ++pos; // the one blank after the maximum value
    if (w <= 0 || h <= 0 || bytes.size() - pos < std::size_t(w) * h * 3) return false;
    out.resize(std::size_t(w) * h);
    for (std::size_t i = 0; i < out.size(); ++i, pos += 3)
        out[i] = std::uint32_t(bytes[pos]) << 16 | std::uint32_t(bytes[pos + 1]) << 8 | bytes[pos + 2];
    return true;
}

TEST(ImageOracle, JpegBlocksDecodeWithDjpegAsWithUs) {
    TempFolder dir;
    const int w = 120, h = 80;
    const auto cols = photo(w, h, 3);
    BlockEncoder enc;
    std::vector<std::uint8_t> block;
    ASSERT_TRUE(enc.encodeJpegBlock(cols.data(), w, h, block));
    ASSERT_EQ(getU32At(block.data()), kBlockJpeg);
    const std::uint32_t n = getU32At(block.data() + 4);
    ASSERT_EQ(n, block.size() - 8);
    const std::vector<std::uint8_t> jpeg(block.begin() + 8, block.end());
    ASSERT_TRUE(writeFile(dir.file("b.jpg"), jpeg));
    ASSERT_EQ(run("djpeg -ppm -outfile '" + dir.file("b.ppm") + "' '" + dir.file("b.jpg") + "'"), 0);

    int pw = 0, ph = 0;
    std::vector<std::uint32_t> theirs;
    ASSERT_TRUE(readPpm(readFile(dir.file("b.ppm")), pw, ph, theirs));
    EXPECT_EQ(pw, w);
    EXPECT_EQ(ph, h);

    std::vector<std::uint32_t> ours(std::size_t(w) * h);
    ByteReader in(block);
    const DecodedBlock d = decodeBlock(in, w, h, ours.data());
    ASSERT_EQ(d.status, BlockStatus::Ok);
    EXPECT_TRUE(d.rowMajor);
    EXPECT_EQ(ours, theirs);
    EXPECT_GT(psnr(theirs, toRows(cols, w, h)), 36.0); // quality 95
}

TEST(ImageOracle, CjpegImagesDecodeAsBlocks) {
    TempFolder dir;
    const int w = 40, h = 30;
    const auto rows = toRows(photo(w, h, 9), w, h);
    std::vector<std::uint8_t> ppm;
    const std::string head = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    ppm.assign(head.begin(), head.end());
    for (auto p : rows) {
        ppm.push_back(static_cast<std::uint8_t>(p >> 16));
        ppm.push_back(static_cast<std::uint8_t>(p >> 8));
        ppm.push_back(static_cast<std::uint8_t>(p));
    }
    ASSERT_TRUE(writeFile(dir.file("in.ppm"), ppm));
    ASSERT_EQ(run("cjpeg -quality 95 -outfile '" + dir.file("c.jpg") + "' '" + dir.file("in.ppm") + "'"), 0);
    ASSERT_EQ(run("djpeg -ppm -outfile '" + dir.file("c.ppm") + "' '" + dir.file("c.jpg") + "'"), 0);
    const auto jpeg = readFile(dir.file("c.jpg"));
    int pw, ph;
    std::vector<std::uint32_t> theirs;
    ASSERT_TRUE(readPpm(readFile(dir.file("c.ppm")), pw, ph, theirs));

    std::vector<std::uint32_t> ours(std::size_t(w) * h);
    EXPECT_TRUE(decodeJpeg(jpeg, w, h, ours.data()));
    EXPECT_EQ(ours, theirs);
    // The same picture claimed for another rectangle size is refused.
    std::vector<std::uint32_t> other(std::size_t(w + 1) * h);
    EXPECT_FALSE(decodeJpeg(jpeg, w + 1, h, other.data()));
    EXPECT_FALSE(decodeJpeg(jpeg, w, h - 1, other.data()));
}

TEST(ImageOracle, ZlibBlocksInflateWithPythonAsWithUs) {
    TempFolder dir;
    const int w = 50, h = 40;
    const auto cols = desktop(w, h, 2);
    BlockEncoder enc;
    std::vector<std::uint8_t> block;
    ASSERT_TRUE(enc.encodeZlibBlock(cols.data(), w, h, block));
    ASSERT_EQ(getU32At(block.data()), kBlockZlib24);
    ASSERT_EQ(getU32At(block.data() + 4), block.size() - 8);
    ASSERT_TRUE(writeFile(dir.file("z.bin"), std::vector<std::uint8_t>(block.begin() + 8, block.end())));
    ASSERT_EQ(run("python3 -c \"import sys,zlib; d=open(sys.argv[1],'rb').read(); "
                  "open(sys.argv[2],'wb').write(zlib.decompress(d))\" '" +
                  dir.file("z.bin") + "' '" + dir.file("z.raw") + "'"),
              0);
    const auto raw = readFile(dir.file("z.raw"));
    ASSERT_EQ(raw.size(), 4 + std::size_t(w) * h * 3);
    EXPECT_EQ(getU32At(raw.data()), std::uint32_t(w * h * 3));
    for (std::size_t i = 0; i < cols.size(); ++i) {
        const std::uint8_t* p = raw.data() + 4 + 3 * i;
        ASSERT_EQ(std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0], cols[i])
            << i; // blue, green, red
    }
}

TEST(ImageOracle, PythonMadeZlibBlocksDecode) {
    // Both the current kind and the two read-only kinds, made by Python from the pixels.
    TempFolder dir;
    const int w = 21, h = 13;
    const auto cols = noise(w, h, 5);
    std::vector<std::uint8_t> raw3, raw4;
    ByteWriter w3(raw3), w4(raw4);
    w3.u32(std::uint32_t(w * h * 3));
    w4.u32(std::uint32_t(w * h * 4));
    for (auto p : cols) {
        w3.u8(std::uint8_t(p)), w3.u8(std::uint8_t(p >> 8)), w3.u8(std::uint8_t(p >> 16));
        w4.u32(p | 0xAB000000u); // the fourth byte is not part of the colour
    }
    ASSERT_TRUE(writeFile(dir.file("r3"), raw3));
    ASSERT_TRUE(writeFile(dir.file("r4"), raw4));
    for (const char* name : {"r3", "r4"}) {
        ASSERT_EQ(run("python3 -c \"import sys,zlib; "
                      "open(sys.argv[2],'wb').write(zlib.compress(open(sys.argv[1],'rb')"
                      ".read(), 9))\" '" +
                      dir.file(name) + "' '" + dir.file(std::string(name) + ".z") + "'"),
                  0);
    }
    const auto z3 = readFile(dir.file("r3.z")), z4 = readFile(dir.file("r4.z"));
    struct Case {
        const char* name;
        std::vector<std::uint8_t> block;
    } cases[3];
    for (std::uint32_t kind : {kBlockZlib24, kBlockZlib24Old}) {
        auto& c = cases[kind == kBlockZlib24 ? 0 : 1];
        c.name = kind == kBlockZlib24 ? "0x7FFFFFFD" : "0x7FFFFFFE";
        ByteWriter bw(c.block);
        bw.u32(kind);
        bw.u32(std::uint32_t(z3.size()));
        bw.bytes(z3.data(), z3.size());
    }
    cases[2].name = "32-bit pixels";
    ByteWriter bw(cases[2].block);
    bw.u32(std::uint32_t(z4.size()));
    bw.bytes(z4.data(), z4.size());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint32_t> out(cols.size());
        ByteReader in(c.block);
        const DecodedBlock d = decodeBlock(in, w, h, out.data());
        ASSERT_EQ(d.status, BlockStatus::Ok);
        EXPECT_FALSE(d.rowMajor);
        EXPECT_EQ(out, cols);
        EXPECT_TRUE(in.atEnd());
    }
}

} // namespace
} // namespace tavlo::project
