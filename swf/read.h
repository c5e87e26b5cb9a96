#pragma once
// Bytes to values: the mirror of write.h, one function per record. Every length is bounded by the
// bytes left; a malformed input sets the reader's failure flag and reads as zeros from then on.
#include "swf/types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavlo::swf {

class SwfReader {
public:
    SwfReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit SwfReader(const std::vector<uint8_t>& v) : SwfReader(v.data(), v.size()) {}

    uint8_t readU8();
    uint16_t readU16();
    uint32_t readU32();
    uint32_t readBits(int n);
    int32_t readSignedBits(int n);
    void alignBits() { bitsLeft_ = 0; }
    std::string readString(); // up to and without the 0 byte
    std::vector<uint8_t> readBytes(size_t n);
    // A reader over the next n bytes, which this reader skips.
    SwfReader sub(size_t n);

    size_t remaining() const { return failed_ ? 0 : size_ - pos_; }
    size_t position() const { return pos_; }
    bool failed() const { return failed_; }
    void fail() { failed_ = true; }
    // True when `n` more bytes are there; fails the reader otherwise.
    bool need(size_t n);

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    uint8_t bitByte_ = 0;
    int bitsLeft_ = 0;
    bool failed_ = false;
};

Rgb readRgb(SwfReader& r);
Rgba readRgba(SwfReader& r);
Rect readRect(SwfReader& r);
Matrix readMatrix(SwfReader& r);
ColorTransform readColorTransform(SwfReader& r);
FillStyle readFillStyle(SwfReader& r);
LineStyle readLineStyle(SwfReader& r);
Shape readShape(SwfReader& r);
Action readAction(SwfReader& r);
std::vector<Action> readActions(SwfReader& r); // up to and with the 0 byte
// One tag (header and body); `code` tells which one was read, End included.
Tag readTag(SwfReader& r);
Header readHeader(SwfReader& r);

struct ReadResult {
    SwfFile file;
    std::string error; // empty on success
    bool ok() const { return error.empty(); }
};
// A whole file, compressed ("CWS") or not; the tags after the header up to End.
ReadResult readSwf(const std::vector<uint8_t>& bytes);

} // namespace tavlo::swf
