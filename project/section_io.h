#pragma once
// Little-endian raw items and decimal lines of the project section, with every read bounded by
// the bytes left: a read that does not fit marks the reader failed and changes nothing.
#include "core/line_format.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace tavlo::project {

class SectionWriter {
public:
    LineWriter& lines() { return w_; }
    void u16(std::uint16_t v) {
        const char b[2] = {char(v & 0xFF), char(v >> 8)};
        w_.putRaw(b, 2);
    }
    void u32(std::uint32_t v) { w_.putU32(v); }
    void raw(const void* p, std::size_t n) { w_.putRaw(p, n); }
    template <typename T> void record(const T& t, std::size_t size = sizeof(T)) { w_.putRaw(&t, size); }
    void units(std::u16string_view s) {
        for (char16_t c : s) u16(std::uint16_t(c));
    }
    void integer(long long v) { w_.putInt(v); }
    void real(double v) { w_.putFloat(v); }
    // A "%s\n" item: a line break inside would put the reader out of step, so it becomes a blank.
    void text(std::string_view s);
    std::size_t size() const { return w_.bytes().size(); }
    std::string take() { return w_.take(); }

private:
    LineWriter w_;
};

class SectionReader {
public:
    explicit SectionReader(std::string_view data) : r_(data) {}
    LineReader& lines() { return r_; }
    bool ok() const { return !r_.failed(); }
    void fail() { r_.getRaw(nullptr, static_cast<std::size_t>(-1)); }
    std::size_t remaining() const { return r_.remaining(); }
    std::size_t position() const { return r_.position(); }

    bool u16(std::uint16_t& v) {
        std::uint8_t b[2];
        if (!r_.getRaw(b, 2)) return false;
        v = std::uint16_t(b[0] | (b[1] << 8));
        return true;
    }
    bool u32(std::uint32_t& v) { return r_.getU32(v); }
    bool raw(void* p, std::size_t n) { return r_.getRaw(p, n); }
    // Reads `size` bytes into a zeroed record; bytes beyond the record are skipped.
    template <typename T> bool record(T& t, std::size_t size = sizeof(T)) {
        std::memset(&t, 0, sizeof t);
        const std::size_t take = size < sizeof t ? size : sizeof t;
        return r_.getRaw(&t, take) && skip(size - take);
    }
    bool bytes(std::string& out, std::size_t n);
    bool units(std::u16string& out, std::size_t count);
    bool skip(std::size_t n);
    bool integer(int& v) { return r_.getInt(v); }
    bool integer(long long& v) { return r_.getInt(v); }
    bool real(double& v) { return r_.getFloat(v); }
    bool text(std::string& v) { return r_.getLine(v); }
    // A decimal count that must lie in [0, max] and leave at least `minBytesEach` per element.
    bool count(int& v, int max, std::size_t minBytesEach);

private:
    LineReader r_;
};

} // namespace tavlo::project
