#pragma once
// Decoding one frame's chunk of image records and painting the result into a picture.
#include "project/image/image_record.h"
#include "project/image/pixel_buffer.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavlo::project {

struct DecodedRect {
    PixelRect rect;
    bool rowMajor = false;   // pixels row after row (JPEG blocks), else column after column
    std::size_t decoded = 0; // pixels present, in storage order; the rest stays undrawn
    std::vector<std::uint32_t> pixels;
};

struct DecodedChunk {
    std::vector<DecodedRect> after;     // type-2 records in record order: paint going forwards
    std::vector<DecodedRect> before;    // type-1 records in record order: paint going backwards
    std::optional<DecodedRect> pointer; // the last type-3 picture
    std::uint16_t pointerTime = 0;
    int idleTime = 0;              // sum of the type-4 times
    bool failed = false;           // a record did not fit or a block did not decode
    std::size_t decodedPixels = 0; // pixels of all decoded rectangles
    // The frame cache's measure: 0 means "not decoded".
    std::size_t decodedSize() const { return 1 + decodedPixels; }
};

// Which rectangle records to decode; the others are stepped over. Going forwards needs only the
// type-2 records, so a key image costs one decode instead of two.
enum class RecordSelection { Both, ForwardOnly, BackwardOnly };

// Reads records until the bytes end or a type outside 1 to 4 appears. A record that does not fit
// (a rectangle outside frameWidth × frameHeight, a truncated or undecodable block, pixels beyond
// a sane total) stops the chunk with `failed` set; what was decoded before it is kept, and a
// rectangle whose pixels end early keeps the pixels it got. A pointer picture wider or taller
// than 257 pixels is consumed without being kept.
DecodedChunk decodeChunk(std::span<const std::uint8_t> bytes, PixelEncoding encoding, int frameWidth,
                         int frameHeight, RecordSelection selection = RecordSelection::Both);

// Reads the chunk [start, end) of an open file (a project, source or capture data file) and
// decodes it. The range is cut to the file's size; a read error decodes what was read.
DecodedChunk decodeChunkFromFile(int fd, std::int64_t start, std::int64_t end, PixelEncoding encoding,
                                 int frameWidth, int frameHeight,
                                 RecordSelection selection = RecordSelection::Both);

// Paints a decoded rectangle with its top-left at (rect.left + dx, rect.top + dy); pixels that
// fall outside the picture are skipped.
void paintRect(PixelBuffer& picture, const DecodedRect& rect, int dx = 0, int dy = 0);
// A frame from the previous one: its type-2 rectangles in record order.
void paintForward(PixelBuffer& picture, const DecodedChunk& chunk, int dx = 0, int dy = 0);
// The previous frame from this one: its type-1 rectangles.
void paintBackward(PixelBuffer& picture, const DecodedChunk& chunk, int dx = 0, int dy = 0);

} // namespace tavlo::project
