#pragma once
// The image record stream: a frame's chunk is a sequence of records, each starting with a type
// byte. Rectangles are inclusive (left, right, top, bottom as signed 16-bit values) and their
// pixels follow in column order: for x from left to right, for y from top to bottom.
#include <array>
#include <cstddef>
#include <cstdint>

namespace tavlo::project {

enum class RecordType : std::uint8_t {
    Before = 1,  // a changed rectangle as it was in the previous frame
    After = 2,   // the same rectangle after the change
    Pointer = 3, // u16 time, then a small picture around the pointer
    Idle = 4,    // u16 time passing without change
};

// How a chunk's rectangle pixels are stored (the frame's chunkTrueColour and chunkCompressed).
enum class PixelEncoding {
    Rle15, // chunkTrueColour 0, chunkCompressed 0
    Rle24, // chunkTrueColour 1, chunkCompressed 0
    Block, // chunkTrueColour 1, chunkCompressed 1
};

inline PixelEncoding encodingOf(bool chunkTrueColour, bool chunkCompressed) {
    if (!chunkTrueColour) return PixelEncoding::Rle15;
    return chunkCompressed ? PixelEncoding::Block : PixelEncoding::Rle24;
}

// The on-disk rectangle of a record, in this order.
struct RecordRect {
    std::int16_t left;
    std::int16_t right;
    std::int16_t top;
    std::int16_t bottom;
};
static_assert(sizeof(RecordRect) == 8);
static_assert(offsetof(RecordRect, left) == 0 && offsetof(RecordRect, right) == 2);
static_assert(offsetof(RecordRect, top) == 4 && offsetof(RecordRect, bottom) == 6);

// An inclusive rectangle in frame pixels, as records and writer messages carry it.
struct PixelRect {
    int left = 0, top = 0, right = -1, bottom = -1;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    std::size_t area() const {
        return width() > 0 && height() > 0 ? std::size_t(width()) * std::size_t(height()) : 0;
    }
    bool operator==(const PixelRect&) const = default;
};

// Block kinds: a u32 at the start of a block-encoded rectangle.
inline constexpr std::uint32_t kBlockJpeg = 0x7FFFFFFF;
inline constexpr std::uint32_t kBlockZlib24 = 0x7FFFFFFD;
inline constexpr std::uint32_t kBlockZlib24Old = 0x7FFFFFFE; // read only
inline constexpr std::uint32_t kMaxBlockBytes =
    92'160'000; // any other kind value is a 32-bit zlib block length

inline constexpr int kMaxPointerSide = 257;            // type-3 pictures are at most this wide and tall
inline constexpr std::uint32_t kMaxRunRepeats = 32767; // the writer ends a run here
inline constexpr int kJpegQuality = 95;

// One counter per 15-bit colour: index (B >> 3) | ((G >> 3) << 5) | ((R >> 3) << 10).
using ColourHistogram = std::array<std::uint32_t, 32768>;

inline std::uint32_t colourIndex(std::uint32_t rgb) {
    return ((rgb >> 3) & 0x1F) | (((rgb >> 11) & 0x1F) << 5) | (((rgb >> 19) & 0x1F) << 10);
}

} // namespace tavlo::project
