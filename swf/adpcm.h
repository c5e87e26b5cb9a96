#pragma once
// The ADPCM sound encoding of the SWF format.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavlo::swf {

// One ADPCM stream: the 2-bit code size (bits - 2, bits 2..5), then packets of up to 4096 sample
// frames, each starting with a raw 16-bit sample and a 6-bit step index per channel. `samples` are
// interleaved; the last byte is padded with 0 bits.
std::vector<uint8_t> encodeAdpcm(const int16_t* samples, size_t frames, int channels, int bits);

// PCM in memory: 8-bit unsigned or 16-bit signed little-endian samples, interleaved.
struct PcmSound {
    std::vector<uint8_t> data;
    int rate = 22050;
    int bits = 16;
    int channels = 1;
    size_t frames() const { return data.size() / size_t(bits / 8 * channels); }
};

// The samples of frames [first, first + count) as 16-bit values, scaled by volume (0x7FFF = as
// they are) the way the encoder takes them.
std::vector<int16_t> pcmSamples(const PcmSound& pcm, size_t first, size_t count, int volume);

// 0..3 for 5.5, 11, 22 and 44 kHz (the nearest of those at or below the rate).
uint8_t soundRateIndex(int rate);

} // namespace tavlo::swf
