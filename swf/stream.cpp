#include "swf/stream.h"

#include <cassert>

namespace tavlo::swf {

int bitsFor(uint32_t v, int extra) {
    if (v == 0) return extra;
    int i = 1;
    while (i < 32 && (uint64_t(v) >> i) != 0) ++i;
    return i + extra;
}

void SwfStream::writeU16(uint16_t v) {
    writeBits(v & 0xFF, 8);
    writeBits(v >> 8, 8);
}

void SwfStream::writeU32(uint32_t v) {
    for (int i = 0; i < 4; ++i) writeBits((v >> (8 * i)) & 0xFF, 8);
}

void SwfStream::writeBits(uint32_t value, int n) {
    assert(n >= 0 && n <= 32);
    if (n == 8 && freeBits_ == 8) { // the common whole-byte case
        bytes_.push_back(uint8_t(value));
        return;
    }
    while (n > 0) {
        int take = n < freeBits_ ? n : freeBits_;
        uint32_t chunk = (uint32_t(uint64_t(value) >> (n - take))) & ((1u << take) - 1);
        bitByte_ = uint8_t(bitByte_ | (chunk << (freeBits_ - take)));
        freeBits_ -= take;
        n -= take;
        if (freeBits_ == 0) {
            bytes_.push_back(bitByte_);
            bitByte_ = 0;
            freeBits_ = 8;
        }
    }
}

void SwfStream::flushBits() {
    if (freeBits_ != 8) {
        bytes_.push_back(bitByte_);
        bitByte_ = 0;
        freeBits_ = 8;
    }
}

void SwfStream::writeBytes(const uint8_t* data, size_t n) {
    assert(aligned());
    bytes_.insert(bytes_.end(), data, data + n);
}

void SwfStream::writeString(std::string_view s, bool terminate) {
    writeBytes(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    if (terminate) writeU8(0);
}

void SwfStream::addMemoryBlock(const uint8_t* pointer, uint32_t length) {
    assert(aligned());
    blocks_.push_back({bytes_.size(), pointer, false, false, 0, length});
    blockBytes_ += length;
}

void SwfStream::addCachedBlock(uint64_t offset, uint32_t length, bool lost) {
    assert(aligned());
    blocks_.push_back({bytes_.size(), nullptr, true, lost, offset, length});
    blockBytes_ += length;
}

uint64_t SwfStream::length() const {
    return bytes_.size() + blockBytes_;
}

void SwfStream::writeTag(uint16_t code, const SwfStream& body) {
    assert(body.aligned());
    uint64_t len = body.length();
    bool alwaysLong = code == 20 || code == 36 || code == 56;
    if (len <= 62 && !alwaysLong) {
        writeU16(uint16_t(code << 6 | len));
    } else {
        writeU16(uint16_t(code << 6 | 0x3F));
        writeU32(uint32_t(len));
    }
    uint64_t base = bytes_.size();
    bytes_.insert(bytes_.end(), body.bytes_.begin(), body.bytes_.end());
    for (StreamBlock b : body.blocks_) {
        b.position += base;
        blocks_.push_back(b);
        blockBytes_ += b.length;
    }
}

std::vector<uint8_t> SwfStream::flattened() const {
    std::vector<uint8_t> out;
    out.reserve(length());
    size_t at = 0;
    for (const StreamBlock& b : blocks_) {
        out.insert(out.end(), bytes_.begin() + at, bytes_.begin() + b.position);
        at = b.position;
        assert(!b.cached);
        if (b.memory) out.insert(out.end(), b.memory, b.memory + b.length);
    }
    out.insert(out.end(), bytes_.begin() + at, bytes_.end());
    return out;
}

} // namespace tavlo::swf
