#include "swf/wav_source.h"
#include "tests/support/temp_home.h"
#include "tests/swf/swf_test_util.h"

#include <gtest/gtest.h>

namespace tavlo::swf {
namespace {

TEST(WavSource, ReadsWhatFfmpegWrites) {
    test::TempHome home;
    struct {
        const char* codec;
        int channels, bits;
    } cases[] = {{"pcm_s16le", 1, 16}, {"pcm_s16le", 2, 16}, {"pcm_u8", 1, 8}};
    for (auto c : cases) {
        std::string path = home.path(std::string(c.codec) + std::to_string(c.channels) + ".wav");
        ASSERT_EQ(
            test::runCommand(
                "ffmpeg -loglevel error -y -f lavfi -i sine=frequency=440:sample_rate=11025:duration=0.5 "
                "-ac " +
                std::to_string(c.channels) + " -c:a " + c.codec + " '" + path + "'"),
            0);
        auto pcm = readWavFile(path);
        ASSERT_TRUE(pcm) << path;
        EXPECT_EQ(pcm->rate, 11025);
        EXPECT_EQ(pcm->channels, c.channels);
        EXPECT_EQ(pcm->bits, c.bits);
        EXPECT_NEAR(double(pcm->frames()), 5512.5, 1.0); // half a second
    }
}

std::vector<uint8_t> wav(uint16_t format, uint16_t channels, uint16_t bits, uint32_t dataSize,
                         size_t dataBytes) {
    std::vector<uint8_t> b = {'R', 'I', 'F', 'F', 0,   0,   0,  0, 'W', 'A',
                              'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0,   0};
    auto u16 = [&](uint16_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); };
    auto u32 = [&](uint32_t v) { u16(uint16_t(v)), u16(uint16_t(v >> 16)); };
    u16(format), u16(channels), u32(22050), u32(22050u * channels * bits / 8),
        u16(uint16_t(channels * bits / 8)), u16(bits);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    u32(dataSize);
    b.resize(b.size() + dataBytes, 0x10);
    return b;
}

TEST(WavSource, RefusesWhatItCannotEncodeAndKeepsACutDataChunk) {
    EXPECT_TRUE(readWav(wav(1, 1, 16, 8, 8)));
    EXPECT_FALSE(readWav(wav(3, 1, 32, 8, 8)));   // float
    EXPECT_FALSE(readWav(wav(1, 6, 16, 24, 24))); // six channels
    EXPECT_FALSE(readWav({'R', 'I', 'F', 'F'}));
    auto cut = readWav(wav(1, 2, 16, 4000, 10)); // claims 4000 bytes, has 10
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->frames(), 2u);
}

} // namespace
} // namespace tavlo::swf
