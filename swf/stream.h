#pragma once
// A growable byte buffer with a bit writer and external blocks: large payloads are not copied
// into the buffer but registered as blocks (memory or bitmap cache) that the file writer copies
// once, straight into the file.
#include <cstdint>
#include <string_view>
#include <vector>

namespace tavlo::swf {

// 0 + extra when v is 0; else the smallest i (1..32) with v < 2^i, plus extra. Signed fields use
// extra 1 on their largest magnitude, style counts extra 0.
int bitsFor(uint32_t v, int extra);
// The magnitude of a signed value as an unsigned one (also for INT32_MIN).
inline uint32_t magnitude(int64_t v) {
    return uint32_t(v < 0 ? -v : v);
}

struct StreamBlock {
    uint64_t position = 0; // byte count at which the block belongs
    const uint8_t* memory = nullptr;
    bool cached = false;
    bool lost = false; // its payload never reached the cache
    uint64_t cacheOffset = 0;
    uint32_t length = 0;
};

class SwfStream {
public:
    SwfStream() { bytes_.reserve(1024); }

    void writeU8(uint8_t v) { writeBits(v, 8); }
    void writeU16(uint16_t v);
    void writeU32(uint32_t v);
    // The low n bits of value (n <= 32), most significant first; higher bits are dropped.
    void writeBits(uint32_t value, int n);
    void writeSignedBits(int32_t value, int n) { writeBits(uint32_t(value), n); }
    void flushBits();
    void writeBytes(const uint8_t* data, size_t n);
    void writeString(std::string_view s, bool terminate);
    void addMemoryBlock(const uint8_t* pointer, uint32_t length);
    void addCachedBlock(uint64_t offset, uint32_t length, bool lost = false);
    // Header plus body: the short form for bodies up to 62 bytes, except for the codes that are
    // always long (DefineBitsLossless, DefineBitsLossless2, ExportAssets).
    void writeTag(uint16_t code, const SwfStream& body);

    // Bytes in the buffer plus the lengths of all blocks.
    uint64_t length() const;
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    std::vector<uint8_t>& bytes() { return bytes_; }
    const std::vector<StreamBlock>& blocks() const { return blocks_; }
    bool aligned() const { return freeBits_ == 8; }
    // The buffer with memory blocks inlined (cache blocks must not be present): for tests and
    // for bodies that are parsed back at once.
    std::vector<uint8_t> flattened() const;

private:
    std::vector<uint8_t> bytes_;
    std::vector<StreamBlock> blocks_;
    uint64_t blockBytes_ = 0;
    uint8_t bitByte_ = 0;
    int freeBits_ = 8;
};

} // namespace tavlo::swf
