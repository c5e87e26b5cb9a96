#pragma once
// Moving chunks between files when a project is saved: copied byte for byte, or re-encoded record
// by record (a compressing save turns run-length chunks into blocks).
#include "project/image/image_record.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tavlo::project {

struct TranscodeResult {
    bool complete = false;   // every record was converted; false: stopped at a damaged one
    std::size_t records = 0; // records written
};

// Appends the records of `chunk` (in encoding `from`) re-encoded in `to`, in the same order.
// Pointer pictures too big to show are dropped; a damaged record and everything after it are
// left out, so the output is always a well-formed chunk. Every pixel written adds 1 to `histogram`.
TranscodeResult recompressChunk(std::span<const std::uint8_t> chunk, PixelEncoding from, PixelEncoding to,
                                int frameWidth, int frameHeight, int captureQuality,
                                std::vector<std::uint8_t>& out, ColourHistogram* histogram);

// Copies the bytes [start, end) of one open file to the current position of another, 65,536 bytes
// at a time. False when the source holds fewer bytes or a write fails.
bool copyChunk(int sourceFd, std::int64_t start, std::int64_t end, int targetFd);

} // namespace tavlo::project
