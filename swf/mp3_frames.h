#pragma once
// The frames of an MPEG audio file, found from their headers as the MPEG audio standard lays them
// out; a leading ID3v2 tag is skipped by its declared size.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tavlo::swf {

struct Mp3FrameHeader {
    int version = 1; // 1 MPEG-1, 2 MPEG-2, 25 MPEG-2.5
    int layer = 3;
    int bitrate = 0; // bits per second
    int sampleRate = 0;
    int channels = 2;
    bool padding = false;
    int length = 0;          // bytes of the whole frame
    int samplesPerFrame = 0; // 1152 or 576 for layer III
};

// The header at `p` (4 bytes), or nothing when it is not a valid one.
std::optional<Mp3FrameHeader> parseMp3Header(const uint8_t* p);

struct Mp3Frame {
    size_t offset = 0;
    Mp3FrameHeader header;
};

// Every whole frame from the start of `data` (after an ID3v2 tag) up to the first bytes that are
// not a frame. Empty when the first header lacks the sync bits.
std::vector<Mp3Frame> findMp3Frames(const std::vector<uint8_t>& data);

} // namespace tavlo::swf
