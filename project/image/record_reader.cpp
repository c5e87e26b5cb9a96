#include "project/image/record_reader.h"

#include "project/image/block_codec.h"
#include "project/image/rle_codec.h"

namespace tavlo::project {

RecordReader::Next RecordReader::next(RecordHead& head) {
    std::uint8_t type;
    if (!in_.u8(type) || type < 1 || type > 4) return Next::End;
    head = {};
    head.type = static_cast<RecordType>(type);
    if (head.type == RecordType::Idle) return in_.u16(head.time) ? Next::Record : Next::Damaged;
    if (head.type == RecordType::Pointer && !in_.u16(head.time)) return Next::Damaged;
    std::int16_t l, r, t, b;
    if (!in_.i16(l) || !in_.i16(r) || !in_.i16(t) || !in_.i16(b)) return Next::Damaged;
    head.rect = {l, t, r, b};
    const int w = head.rect.width(), h = head.rect.height();
    if (w < 1 || h < 1) return Next::Damaged;
    if (head.type == RecordType::Pointer) {
        head.shown = w <= kMaxPointerSide && h <= kMaxPointerSide;
    } else if (l < 0 || t < 0 || r >= frameWidth_ || b >= frameHeight_) {
        return Next::Damaged;
    }
    current_ = head;
    return Next::Record;
}

RecordPixels RecordReader::pixels(std::uint32_t* out) {
    RecordPixels result;
    const int w = current_.rect.width(), h = current_.rect.height();
    const std::size_t count = current_.rect.area();
    switch (encoding_) {
    case PixelEncoding::Rle24: {
        const RleResult r = decodeRle24(in_, out, count);
        result.complete = r.complete;
        result.decoded = r.decoded;
        break;
    }
    case PixelEncoding::Rle15: {
        const RleResult r = decodeRle15(in_, out, count);
        result.complete = r.complete;
        result.decoded = r.decoded;
        break;
    }
    case PixelEncoding::Block: {
        const DecodedBlock b = decodeBlock(in_, w, h, out);
        result.complete = b.status == BlockStatus::Ok;
        result.rowMajor = b.rowMajor;
        result.decoded = result.complete ? count : 0;
        break;
    }
    }
    return result;
}

} // namespace tavlo::project
