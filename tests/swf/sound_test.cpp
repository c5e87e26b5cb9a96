#include "swf/movie.h"
#include "swf/read.h"
#include "swf/sound.h"
#include "tests/support/recording_prompts.h"
#include "tests/support/temp_home.h"
#include "tests/swf/swf_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace tavlo::swf {
namespace {

PcmSound sine(int rate, size_t frames, int channels = 1, double amplitude = 12000) {
    PcmSound pcm;
    pcm.rate = rate;
    pcm.channels = channels;
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) {
            int16_t v = int16_t(amplitude * std::sin(2 * 3.14159265 * 440 * double(i) / rate + c));
            pcm.data.push_back(uint8_t(v));
            pcm.data.push_back(uint8_t(uint16_t(v) >> 8));
        }
    return pcm;
}

TEST(Adpcm, PacketLayout) {
    // 4097 mono frames at 4 bits: code size, a packet header, 4095 codes, a second header.
    std::vector<int16_t> samples(4097, 0);
    samples[0] = -300;
    samples[1] = -290;
    samples[4096] = 1234;
    std::vector<uint8_t> out = encodeAdpcm(samples.data(), samples.size(), 1, 4);
    EXPECT_EQ(out.size(), size_t((2 + 22 + 4095 * 4 + 22 + 7) / 8));
    SwfReader r(out);
    EXPECT_EQ(r.readBits(2), 2u); // bits - 2
    EXPECT_EQ(r.readSignedBits(16), -300);
    EXPECT_EQ(r.readBits(6), 3u); // the smallest step (10) at least |(-290) - (-300)|
    for (int i = 0; i < 4095; ++i) r.readBits(4);
    EXPECT_EQ(r.readSignedBits(16), 1234);
    EXPECT_EQ(r.readBits(6), 0u); // no next sample: difference 0
}

TEST(Adpcm, StereoInterleavesBothChannelsAndEveryCodeSizeWorks) {
    for (int bits = 2; bits <= 5; ++bits) {
        std::vector<int16_t> samples = {100, -100, 200, -200, 300, -300};
        std::vector<uint8_t> out = encodeAdpcm(samples.data(), 3, 2, bits);
        EXPECT_EQ(out.size(), size_t((2 + 44 + 2 * 2 * bits + 7) / 8)) << bits;
        SwfReader r(out);
        EXPECT_EQ(r.readBits(2), uint32_t(bits - 2));
        EXPECT_EQ(r.readSignedBits(16), 100);
        r.readBits(6);
        EXPECT_EQ(r.readSignedBits(16), -100);
    }
}

TEST(Adpcm, EightBitSamplesAndVolume) {
    PcmSound pcm;
    pcm.bits = 8;
    pcm.data = {0, 128, 255};
    EXPECT_EQ(pcmSamples(pcm, 0, 3, 0x7FFF), (std::vector<int16_t>{-32768, 0, 32512}));
    EXPECT_EQ(pcmSamples(pcm, 0, 3, 0), (std::vector<int16_t>{0, 0, 0}));
    PcmSound wide = sine(11025, 4);
    wide.data = {0x10, 0x27, 0xF0, 0xD8}; // 10000, -10000
    EXPECT_EQ(pcmSamples(wide, 0, 2, 0x7FFF / 2), (std::vector<int16_t>{4999, -4999}));
}

class StreamTest : public ::testing::Test {
protected:
    test::TempHome home;
    test::RecordingPrompts prompts;
    SwfContext ctx{prompts};
};

TEST_F(StreamTest, AdpcmBlocksCoverTheSoundFrameByFrame) {
    SwfStreamSound sound(ctx, sine(22050, 22050), 12);
    EXPECT_DOUBLE_EQ(sound.samplesPerFrame(), 1837.5);
    SwfMovie movie(ctx);
    movie.frame(0).place(sound);
    std::vector<std::unique_ptr<SwfStreamBlock>> blocks;
    for (int i = 0; i < 14; ++i) {
        blocks.push_back(std::make_unique<SwfStreamBlock>(ctx, sound, i == 3));
        movie.frame(i).place(*blocks.back());
    }
    std::string out = home.path("stream.swf");
    ASSERT_EQ(movie.save(out), SaveResult::Written);
    EXPECT_EQ(test::yaswfpProblems(out), "");
    SwfFile f = test::parsedFile(out);
    auto heads = test::tagsOf<SoundStreamHead>(f.tags);
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(heads[0].samplesPerFrame, 1837);
    EXPECT_EQ(heads[0].rate, 2);
    EXPECT_EQ(heads[0].format, SoundFormat::Adpcm);
    // 12 blocks of sound and one of silence; the 14th finds the sound used up.
    auto blocksWritten = test::tagsOf<SoundStreamBlock>(f.tags);
    ASSERT_EQ(blocksWritten.size(), 13u);
    size_t oneBlock = (2 + 22 + 1836 * 4 + 7) / 8, otherBlock = (2 + 22 + 1837 * 4 + 7) / 8;
    for (const SoundStreamBlock& b : blocksWritten) {
        size_t n = b.data.bytes.size();
        EXPECT_TRUE(n == oneBlock || n == otherBlock) << n;
    }
    SwfReader silent(blocksWritten[3].data.bytes);
    silent.readBits(2);
    EXPECT_EQ(silent.readSignedBits(16), 0);
}

// MPEG-2 layer III, 22050 Hz, 32 kbit/s, mono: 104-byte frames of 576 samples.
std::vector<uint8_t> mp3Frames(int n) {
    std::vector<uint8_t> out;
    for (int i = 0; i < n; ++i) {
        std::vector<uint8_t> frame(104, uint8_t(i));
        frame[0] = 0xFF, frame[1] = 0xF3, frame[2] = 0x40, frame[3] = 0xC0;
        out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
}

TEST(Mp3Frames, HeadersGiveLengthsAndSamples) {
    std::vector<uint8_t> data = mp3Frames(3);
    auto frames = findMp3Frames(data);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[1].offset, 104u);
    EXPECT_EQ(frames[0].header.sampleRate, 22050);
    EXPECT_EQ(frames[0].header.samplesPerFrame, 576);
    EXPECT_EQ(frames[0].header.channels, 1);
    const uint8_t mpeg1[4] = {0xFF, 0xFB, 0x92, 0x00}; // 128 kbit/s, 44100 Hz, padded
    auto h = parseMp3Header(mpeg1);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->length, 418);
    EXPECT_EQ(h->samplesPerFrame, 1152);
    const uint8_t bad[4] = {0xFF, 0xFB, 0xF0, 0x00}; // bitrate index 15
    EXPECT_FALSE(parseMp3Header(bad));
}

TEST(Mp3Frames, Id3TagIsSkippedByItsSize) {
    std::vector<uint8_t> data = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 6, 0xFF, 0xFB, 1, 2, 3, 4};
    std::vector<uint8_t> frames = mp3Frames(2);
    data.insert(data.end(), frames.begin(), frames.end());
    auto found = findMp3Frames(data);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].offset, 16u);
    EXPECT_TRUE(findMp3Frames({0x12, 0x34, 0x56, 0x78, 0xFF, 0xF3, 0x40, 0xC0}).empty());
}

TEST_F(StreamTest, Mp3BlocksCarryTheOwedSamples) {
    std::string path = home.path("sound.mp3");
    std::vector<uint8_t> data = mp3Frames(10);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), long(data.size()));
    auto sound = SwfStreamSound::fromMp3File(ctx, path, 12);
    EXPECT_EQ(sound->samplesPerFrame(), 1837.5);
    // 1837 owed: 3 frames (1728), 109 carried; 1946: 3 frames, 218; 2055: 3 frames, 327; 2164: 1 left.
    struct {
        uint16_t samples;
        int16_t seek;
        size_t frames;
    } expected[] = {{1728, 0, 3}, {1728, 109, 3}, {1728, 218, 3}, {576, 327, 1}};
    for (auto e : expected) {
        std::vector<uint8_t> b = sound->nextBlock(false);
        ASSERT_EQ(b.size(), 4 + e.frames * 104);
        EXPECT_EQ(b[0] | b[1] << 8, e.samples);
        EXPECT_EQ(int16_t(b[2] | b[3] << 8), e.seek);
        EXPECT_EQ(b[4], 0xFF);
    }
    EXPECT_TRUE(sound->nextBlock(false).empty());
}

TEST_F(StreamTest, FirstMp3BlockTakesAFrameEvenWhenLittleIsOwed) {
    std::string path = home.path("short.mp3");
    std::vector<uint8_t> data = mp3Frames(2);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data.data()), long(data.size()));
    auto sound = SwfStreamSound::fromMp3File(ctx, path, 60); // 367 samples a frame
    std::vector<uint8_t> b = sound->nextBlock(false);
    EXPECT_EQ(b.size(), 4u + 104u);
    EXPECT_EQ(sound->nextBlock(false).size(), 4u); // 367 - 576 + 367 owed: no frame yet
}

TEST_F(StreamTest, NoBlocksWhenTheFileDoesNotStartWithAFrame) {
    std::string path = home.path("noise.mp3");
    std::ofstream(path) << "not an mp3 at all";
    auto sound = SwfStreamSound::fromMp3File(ctx, path, 12);
    EXPECT_TRUE(sound->nextBlock(false).empty());
    auto missing = SwfStreamSound::fromMp3File(ctx, home.path("missing.mp3"), 12);
    EXPECT_TRUE(missing->nextBlock(false).empty());
}

TEST_F(StreamTest, FramesOfARealEncoderAreFoundToTheEnd) {
    if (test::runCommand("command -v lame >/dev/null") != 0) GTEST_SKIP() << "lame is not installed";
    PcmSound pcm = sine(22050, 22050);
    std::string raw = home.path("in.raw"), mp3 = home.path("out.mp3");
    std::ofstream(raw, std::ios::binary)
        .write(reinterpret_cast<const char*>(pcm.data.data()), long(pcm.data.size()));
    ASSERT_EQ(test::runCommand(
                  "lame --quiet -r -s 22.05 --bitwidth 16 --signed --little-endian -m m -b 32 --add-id3v2 "
                  "--tt Tavlo '" +
                  raw + "' '" + mp3 + "' 2>/dev/null"),
              0);
    std::vector<uint8_t> bytes = test::fileBytes(mp3);
    auto frames = findMp3Frames(bytes);
    ASSERT_GT(frames.size(), 30u);
    const Mp3Frame& last = frames.back();
    EXPECT_EQ(last.offset + size_t(last.header.length), bytes.size() - 128); // then the ID3v1 tag
    EXPECT_GE(frames.size() * 576, 22050u);
    for (const Mp3Frame& f : frames) EXPECT_EQ(f.header.sampleRate, 22050);
}

} // namespace
} // namespace tavlo::swf
