#pragma once
// The block form of a rectangle: a u32 kind, then the block data.
//  kBlockJpeg:      u32 n, n bytes of a JPEG of the rectangle (quality 95)
//  kBlockZlib24:    u32 n, n bytes of zlib data: u32 byte count, 3-byte pixels (blue, green, red)
//  kBlockZlib24Old: as kBlockZlib24 (read only)
//  any other n:     n bytes of zlib data: u32 byte count, 4-byte pixels (read only)
// Pixels of the zlib kinds are in column order.
#include "project/image/byte_io.h"
#include "project/image/image_record.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavlo::project {

// How photographic the pixels look: the distinct 15-bit colours counted in consecutive groups of
// 2,500 pixels, m = their sum over the complete groups, g = the number of complete groups:
// m × 100 / g × 0.0004 (0 when there is no complete group). Every pixel adds 1 to `histogram`.
double blockDiversity(const std::uint32_t* pixels, std::size_t count, ColourHistogram* histogram);

// JPEG when the rectangle is wider and taller than 15 pixels and the diversity exceeds
// max((100 − captureQuality) × 0.1, 1); zlib of 3-byte pixels otherwise.
bool chooseJpeg(double diversity, int captureQuality, int width, int height);

// Encodes rectangles as blocks; keeps its working buffers between calls.
class BlockEncoder {
public:
    // Appends the block of a width × height rectangle given in column order. Returns false (and
    // appends nothing) when the libraries fail.
    bool encode(const std::uint32_t* columnPixels, int width, int height, int captureQuality,
                std::vector<std::uint8_t>& out, ColourHistogram* histogram);
    // The two forms on their own, for tests and benchmarks.
    bool encodeJpegBlock(const std::uint32_t* columnPixels, int width, int height,
                         std::vector<std::uint8_t>& out);
    bool encodeZlibBlock(const std::uint32_t* columnPixels, int width, int height,
                         std::vector<std::uint8_t>& out);

private:
    std::vector<std::uint32_t> rows_;
    std::vector<std::uint8_t> packed_;
};

enum class BlockStatus {
    Ok,
    Damaged, // truncated, oversized, undecodable, or of another size than the rectangle
};

struct DecodedBlock {
    BlockStatus status = BlockStatus::Damaged;
    bool rowMajor = false; // JPEG blocks decode row after row; the zlib kinds column after column
};

// Reads one block for a width × height rectangle. With `out` null the block is only consumed.
// `out` must hold width × height pixels.
DecodedBlock decodeBlock(ByteReader& in, int width, int height, std::uint32_t* out);

// Converts between column order (x outer) and row order (y outer) of a width × height rectangle.
void columnsToRows(const std::uint32_t* columns, int width, int height, std::uint32_t* rows);
void rowsToColumns(const std::uint32_t* rows, int width, int height, std::uint32_t* columns);

} // namespace tavlo::project
