#pragma once
// Writing image records: the type byte, the time of pointer and idle records, the rectangle and
// its pixels in the chunk's encoding.
#include "project/image/block_codec.h"
#include "project/image/image_record.h"

#include <cstdint>
#include <vector>

namespace tavlo::project {

class RecordEncoder {
public:
    // Appends a type-1, -2 or -3 record (time is used by type 3 only) for column-order pixels of
    // the rectangle. Every pixel adds 1 to `histogram`. False, with nothing appended, when a
    // block could not be made.
    bool rectangle(RecordType type, std::uint16_t time, const PixelRect& rect,
                   const std::uint32_t* columnPixels, PixelEncoding encoding, int captureQuality,
                   std::vector<std::uint8_t>& out, ColourHistogram* histogram);
    static void idle(std::uint16_t time, std::vector<std::uint8_t>& out);

private:
    BlockEncoder blocks_;
};

} // namespace tavlo::project
