#include "swf/mp3_frames.h"

namespace tavlo::swf {

namespace {

// Kilobits per second by [version is MPEG-1][layer - 1][index].
const int kBitrates[2][3][16] = {
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
};
const int kRates[3] = {44100, 48000, 32000};

} // namespace

std::optional<Mp3FrameHeader> parseMp3Header(const uint8_t* p) {
    uint32_t h = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    if ((h & 0xFFE00000u) != 0xFFE00000u) return std::nullopt;
    int versionBits = (h >> 19) & 3, layerBits = (h >> 17) & 3, bitrateIndex = (h >> 12) & 15,
        rateIndex = (h >> 10) & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return std::nullopt; // reserved values; free-format streams are not supported
    Mp3FrameHeader f;
    f.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    f.layer = 4 - layerBits;
    bool mpeg1 = f.version == 1;
    f.bitrate = kBitrates[mpeg1][f.layer - 1][bitrateIndex] * 1000;
    f.sampleRate = kRates[rateIndex] / (mpeg1 ? 1 : f.version == 2 ? 2 : 4);
    f.padding = (h >> 9) & 1;
    f.channels = ((h >> 6) & 3) == 3 ? 1 : 2;
    if (f.layer == 1) {
        f.samplesPerFrame = 384;
        f.length = (12 * f.bitrate / f.sampleRate + f.padding) * 4;
    } else if (f.layer == 2 || mpeg1) {
        f.samplesPerFrame = 1152;
        f.length = 144 * f.bitrate / f.sampleRate + f.padding;
    } else {
        f.samplesPerFrame = 576;
        f.length = 72 * f.bitrate / f.sampleRate + f.padding;
    }
    if (f.length < 4) return std::nullopt;
    return f;
}

std::vector<Mp3Frame> findMp3Frames(const std::vector<uint8_t>& data) {
    std::vector<Mp3Frame> frames;
    size_t at = 0;
    if (data.size() >= 10 && data[0] == 'I' && data[1] == 'D' && data[2] == '3') {
        // Size: four 7-bit bytes; a footer adds 10 more bytes.
        size_t size = size_t(data[6] & 0x7F) << 21 | size_t(data[7] & 0x7F) << 14 |
                      size_t(data[8] & 0x7F) << 7 | size_t(data[9] & 0x7F);
        at = 10 + size + ((data[5] & 0x10) ? 10 : 0);
        // Some writers pad after the tag; the first frame follows the next 0xFF.
        while (at < data.size() && data[at] != 0xFF) ++at;
    }
    while (at + 4 <= data.size()) {
        auto h = parseMp3Header(data.data() + at);
        if (!h || at + size_t(h->length) > data.size()) break;
        if (!frames.empty() && (h->sampleRate != frames[0].header.sampleRate)) break;
        frames.push_back({at, *h});
        at += size_t(h->length);
    }
    return frames;
}

} // namespace tavlo::swf
