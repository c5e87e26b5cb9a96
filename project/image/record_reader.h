#pragma once
// Walks the records of one chunk: each record's head first, then its pixels (decoded, or only
// stepped over). Shared by the chunk decoder and the transcoder of compressing saves.
#include "project/image/byte_io.h"
#include "project/image/image_record.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace tavlo::project {

struct RecordHead {
    RecordType type = RecordType::Idle;
    std::uint16_t time = 0; // types 3 and 4
    PixelRect rect;         // types 1 to 3
    bool shown = true;      // false for a pointer picture too big to show (its pixels still follow)
};

struct RecordPixels {
    bool complete = false;
    bool rowMajor = false;   // JPEG blocks come row after row, everything else column after column
    std::size_t decoded = 0; // pixels present (in storage order)
};

class RecordReader {
public:
    enum class Next { Record, End, Damaged };

    RecordReader(std::span<const std::uint8_t> bytes, PixelEncoding encoding, int frameWidth, int frameHeight)
        : in_(bytes), encoding_(encoding), frameWidth_(frameWidth), frameHeight_(frameHeight) {}

    // End: the bytes ran out or a type outside 1 to 4 came. Damaged: a head that is cut short, an
    // empty rectangle, or a changed rectangle outside the frame. After a record of type 1 to 3,
    // call pixels() once before the next call.
    Next next(RecordHead& head);
    // Reads the record's rect.area() pixels into `out`, or only consumes them when `out` is null.
    RecordPixels pixels(std::uint32_t* out);

private:
    ByteReader in_;
    PixelEncoding encoding_;
    int frameWidth_, frameHeight_;
    RecordHead current_;
};

} // namespace tavlo::project
