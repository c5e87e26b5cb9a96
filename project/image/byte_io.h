#pragma once
// Explicit little-endian reading and writing of the image record stream. The reader is bounded by
// the bytes it was given: every read past the end fails and leaves the target unchanged.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace tavlo::project {

class ByteWriter {
public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}
    void u8(std::uint8_t v) { out_.push_back(v); }
    void u16(std::uint16_t v) {
        out_.push_back(static_cast<std::uint8_t>(v));
        out_.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void i16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void u64(std::uint64_t v) {
        for (int i = 0; i < 8; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void bytes(const void* data, std::size_t size) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        out_.insert(out_.end(), p, p + size);
    }
    std::size_t size() const { return out_.size(); }
    std::vector<std::uint8_t>& buffer() { return out_; }

private:
    std::vector<std::uint8_t>& out_;
};

inline void putU32At(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline std::uint32_t getU32At(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
inline void putU64At(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}
    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return data_.size() - pos_; }
    bool atEnd() const { return pos_ >= data_.size(); }
    const std::uint8_t* current() const { return data_.data() + pos_; }

    bool u8(std::uint8_t& v) {
        if (remaining() < 1) return false;
        v = data_[pos_++];
        return true;
    }
    bool u16(std::uint16_t& v) {
        if (remaining() < 2) return false;
        v = static_cast<std::uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return true;
    }
    bool i16(std::int16_t& v) {
        std::uint16_t u;
        if (!u16(u)) return false;
        v = static_cast<std::int16_t>(u);
        return true;
    }
    bool u32(std::uint32_t& v) {
        if (remaining() < 4) return false;
        v = getU32At(data_.data() + pos_);
        pos_ += 4;
        return true;
    }
    // A view of the next `size` bytes, consumed; false (nothing consumed) when fewer are left.
    bool take(std::size_t size, std::span<const std::uint8_t>& out) {
        if (remaining() < size) return false;
        out = data_.subspan(pos_, size);
        pos_ += size;
        return true;
    }
    void skipToEnd() { pos_ = data_.size(); }
    void advance(std::size_t n) { pos_ += n; }

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

} // namespace tavlo::project
