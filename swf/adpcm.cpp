#include "swf/adpcm.h"

#include "swf/stream.h"

#include <algorithm>
#include <cstdlib>

namespace tavlo::swf {

namespace {

const int16_t kSteps[89] = {
    7,    8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,   28,
    31,   34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,  118,
    130,  143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,  494,
    544,  598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878, 2066,
    2272, 2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845, 8630,
    9493, 10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const int kIndex2[] = {-1, 2};
const int kIndex3[] = {-1, -1, 2, 4};
const int kIndex4[] = {-1, -1, -1, -1, 2, 4, 6, 8};
const int kIndex5[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
const int* const kIndexTables[] = {kIndex2, kIndex3, kIndex4, kIndex5};

constexpr size_t kPacketFrames = 4096;

struct Channel {
    int predictor = 0;
    int index = 0;
};

int firstIndex(int sample, int next) {
    int diff = std::abs(next - sample);
    for (int i = 0; i <= 62; ++i)
        if (kSteps[i] >= diff) return i;
    return 63;
}

uint32_t encodeOne(Channel& ch, int sample, int bits, const int* indexTable) {
    int signBit = 1 << (bits - 1);
    int diff = sample - ch.predictor;
    uint32_t code = 0;
    if (diff < 0) {
        code = uint32_t(signBit);
        diff = -diff;
    }
    int step = kSteps[ch.index];
    int delta = 0;
    for (int k = signBit >> 1; k; k >>= 1) {
        if (diff >= step) {
            code |= uint32_t(k);
            diff -= step;
            delta += step;
        }
        step >>= 1;
    }
    delta += step;
    ch.predictor += (code & uint32_t(signBit)) ? -delta : delta;
    ch.predictor = std::clamp(ch.predictor, -32768, 32767);
    ch.index = std::clamp(ch.index + indexTable[code & uint32_t(signBit - 1)], 0, 88);
    return code;
}

} // namespace

std::vector<uint8_t> encodeAdpcm(const int16_t* samples, size_t frames, int channels, int bits) {
    bits = std::clamp(bits, 2, 5);
    channels = std::clamp(channels, 1, 2);
    const int* indexTable = kIndexTables[bits - 2];
    SwfStream s;
    s.writeBits(uint32_t(bits - 2), 2);
    Channel state[2];
    for (size_t f = 0; f < frames; ++f) {
        const int16_t* frame = samples + f * size_t(channels);
        if (f % kPacketFrames == 0) {
            for (int c = 0; c < channels; ++c) {
                int sample = frame[c];
                int next = f + 1 < frames ? frame[channels + c] : sample;
                state[c].predictor = sample;
                state[c].index = firstIndex(sample, next);
                s.writeSignedBits(sample, 16);
                s.writeBits(uint32_t(state[c].index), 6);
            }
            continue;
        }
        for (int c = 0; c < channels; ++c) s.writeBits(encodeOne(state[c], frame[c], bits, indexTable), bits);
    }
    s.flushBits();
    return std::move(s.bytes());
}

std::vector<int16_t> pcmSamples(const PcmSound& pcm, size_t first, size_t count, int volume) {
    size_t total = pcm.frames();
    if (first >= total) return {};
    count = std::min(count, total - first);
    size_t n = count * size_t(pcm.channels);
    std::vector<int16_t> out(n);
    bool scale = volume < 0x7FFF;
    if (pcm.bits == 8) {
        const uint8_t* in = pcm.data.data() + first * size_t(pcm.channels);
        for (size_t i = 0; i < n; ++i) {
            int x = in[i];
            if (scale) x = (x - 128) * volume / 0x7FFF + 128;
            out[i] = int16_t((x - 128) * 256);
        }
    } else {
        const uint8_t* in = pcm.data.data() + first * size_t(pcm.channels) * 2;
        for (size_t i = 0; i < n; ++i) {
            int x = int16_t(uint16_t(in[2 * i] | in[2 * i + 1] << 8));
            if (scale) x = x * volume / 0x7FFF;
            out[i] = int16_t(x);
        }
    }
    return out;
}

uint8_t soundRateIndex(int rate) {
    if (rate >= 44100) return 3;
    if (rate >= 22050) return 2;
    if (rate >= 11025) return 1;
    return 0;
}

} // namespace tavlo::swf
