#include "project/section_io.h"

namespace tavlo::project {

void SectionWriter::text(std::string_view s) {
    std::string t(s);
    for (char& c : t)
        if (c == '\n') c = ' ';
    w_.putString(t);
}

bool SectionReader::bytes(std::string& out, std::size_t n) {
    if (n > r_.remaining()) {
        fail();
        return false;
    }
    out.resize(n);
    return r_.getRaw(out.data(), n);
}

bool SectionReader::units(std::u16string& out, std::size_t count) {
    if (count > r_.remaining() / 2) {
        fail();
        return false;
    }
    std::string b;
    if (!bytes(b, count * 2)) return false;
    out.resize(count);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = char16_t(std::uint8_t(b[2 * i]) | (std::uint8_t(b[2 * i + 1]) << 8));
    return true;
}

bool SectionReader::skip(std::size_t n) {
    if (n > r_.remaining()) {
        fail();
        return false;
    }
    char buf[256];
    while (n > 0) {
        std::size_t k = n < sizeof buf ? n : sizeof buf;
        r_.getRaw(buf, k);
        n -= k;
    }
    return true;
}

bool SectionReader::count(int& v, int max, std::size_t minBytesEach) {
    if (!r_.getInt(v)) return false;
    if (v < 0 || v > max || (minBytesEach > 0 && std::size_t(v) > r_.remaining() / minBytesEach)) {
        fail();
        return false;
    }
    return true;
}

} // namespace tavlo::project
