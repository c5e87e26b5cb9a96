#include "project/image/record_encoder.h"

#include "project/image/byte_io.h"
#include "project/image/rle_codec.h"

namespace tavlo::project {

bool RecordEncoder::rectangle(RecordType type, std::uint16_t time, const PixelRect& rect,
                              const std::uint32_t* columnPixels, PixelEncoding encoding, int captureQuality,
                              std::vector<std::uint8_t>& out, ColourHistogram* histogram) {
    const std::size_t start = out.size();
    ByteWriter w(out);
    w.u8(static_cast<std::uint8_t>(type));
    if (type == RecordType::Pointer) w.u16(time);
    w.i16(static_cast<std::int16_t>(rect.left));
    w.i16(static_cast<std::int16_t>(rect.right));
    w.i16(static_cast<std::int16_t>(rect.top));
    w.i16(static_cast<std::int16_t>(rect.bottom));
    const std::size_t count = rect.area();
    switch (encoding) {
    case PixelEncoding::Rle24:
        encodeRle24(columnPixels, count, out, histogram);
        return true;
    case PixelEncoding::Rle15:
        encodeRle15(columnPixels, count, out, histogram);
        return true;
    case PixelEncoding::Block:
        if (blocks_.encode(columnPixels, rect.width(), rect.height(), captureQuality, out, histogram))
            return true;
        out.resize(start);
        return false;
    }
    return false;
}

void RecordEncoder::idle(std::uint16_t time, std::vector<std::uint8_t>& out) {
    ByteWriter w(out);
    w.u8(static_cast<std::uint8_t>(RecordType::Idle));
    w.u16(time);
}

} // namespace tavlo::project
