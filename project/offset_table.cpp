#include "project/offset_table.h"

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tavlo::project {

bool readAt(int fd, std::int64_t pos, void* out, std::size_t n) {
    auto* p = static_cast<char*>(out);
    while (n > 0) {
        ssize_t got = ::pread(fd, p, n, off_t(pos));
        if (got <= 0) return false;
        p += got;
        pos += got;
        n -= std::size_t(got);
    }
    return true;
}

bool writeAt(int fd, std::int64_t pos, const void* data, std::size_t n) {
    auto* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t put = ::pwrite(fd, p, n, off_t(pos));
        if (put <= 0) return false;
        p += put;
        pos += put;
        n -= std::size_t(put);
    }
    return true;
}

std::int64_t fileSizeOf(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return -1;
    return std::int64_t(st.st_size);
}

namespace {
std::uint64_t le(const unsigned char* b, int width) {
    std::uint64_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = (v << 8) | b[i];
    return v;
}
} // namespace

bool readOffsetTable(int fd, std::int64_t fileSize, OffsetTable& t) {
    t = OffsetTable{};
    unsigned char first[8];
    if (fileSize < 8 || !readAt(fd, 0, first, 8)) return false;
    t.wide = first[7] == 0xFF || le(first + 4, 4) == 0;
    const int w = t.width();
    // Entries are read in blocks; the table ends at the entry 0 and cannot outgrow the file.
    std::vector<unsigned char> block;
    std::int64_t pos = 0;
    std::size_t at = 0;
    auto next = [&](std::uint64_t& v) {
        if (at + std::size_t(w) > block.size()) {
            const std::int64_t left = fileSize - pos;
            if (left < w) return false;
            const std::size_t n =
                std::size_t(std::min<std::int64_t>(left, 65536)) / std::size_t(w) * std::size_t(w);
            block.resize(n);
            if (!readAt(fd, pos, block.data(), n)) return false;
            pos += std::int64_t(n);
            at = 0;
        }
        v = le(block.data() + at, w);
        at += std::size_t(w);
        return true;
    };
    std::uint64_t v;
    if (!next(v)) return false;
    if (t.wide) v &= 0x00FFFFFFFFFFFFFFull;
    if (v == 0) return false; // the header chunk always has an end
    std::int64_t wrap = 0;
    t.entries.push_back(std::int64_t(v));
    for (;;) {
        if (!next(v)) return false;
        if (v == 0) break;
        if (!t.wide && std::int64_t(v) + wrap < t.entries.back() && t.firstSmaller < 0) {
            t.firstSmaller = int(t.entries.size());
            wrap = std::int64_t(1) << 32;
        }
        if (v > (std::uint64_t(1) << 62)) return false;
        t.entries.push_back(std::int64_t(v) + wrap);
    }
    if (!next(v)) return false;
    t.noSection = v == kNoSectionMark;
    t.sectionPosition = std::int64_t(v & 0x3FFFFFFFFFFFFFFFull);
    return true;
}

std::string encodeTableEntry(std::int64_t value, bool wide) {
    std::string out(wide ? 8 : 4, '\0');
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = char((std::uint64_t(value) >> (8 * i)) & 0xFF);
    return out;
}

std::string encodeOffsetTable(const OffsetTable& t) {
    std::string out;
    for (std::size_t i = 0; i < t.entries.size(); ++i) {
        std::string e = encodeTableEntry(t.entries[i], t.wide);
        if (i == 0 && t.wide) e[7] = char(0xFF);
        out += e;
    }
    out += encodeTableEntry(0, t.wide);
    out += encodeTableEntry(t.noSection ? std::int64_t(kNoSectionMark) : t.sectionPosition, t.wide);
    return out;
}

std::string encodeHeaderChunk(const HeaderChunk& h) {
    std::string out(kHeaderChunkSize, '\0');
    const char sig[] = "Tavlo08.66";
    std::memcpy(out.data(), sig, sizeof sig - 1);
    auto put16 = [&](std::size_t at, int v) {
        out[at] = char(v & 0xFF);
        out[at + 1] = char((v >> 8) & 0xFF);
    };
    put16(16, h.compressed ? 1 : 0);
    put16(18, h.width);
    put16(20, h.height);
    return out;
}

bool parseHeaderChunk(std::string_view b, HeaderChunk& h) {
    h = HeaderChunk{};
    if (b.size() < 5 || b.substr(0, 5) != "Tavlo") return false;
    // "Tavlo08.66": the number after the name decides whether there is a flags word.
    int major = 0, minor = 0;
    std::size_t i = 5;
    while (i < b.size() && i < 16 && b[i] >= '0' && b[i] <= '9') major = major * 10 + (b[i++] - '0');
    if (i < b.size() && b[i] == '.') {
        ++i;
        int digits = 0;
        while (i < b.size() && i < 16 && b[i] >= '0' && b[i] <= '9' && digits < 2) {
            minor = minor * 10 + (b[i++] - '0');
            ++digits;
        }
        if (digits == 1) minor *= 10;
    }
    auto get16 = [&](std::size_t at) { return int(std::uint8_t(b[at]) | (std::uint8_t(b[at + 1]) << 8)); };
    const bool hasFlags = major * 100 + minor >= 665;
    // Older headers have no flags word: the frame size follows the signature directly.
    const std::size_t sizeAt = hasFlags ? 18 : 16;
    if (b.size() >= sizeAt + 4) {
        if (hasFlags) h.compressed = (get16(16) & 1) != 0;
        h.width = get16(sizeAt);
        h.height = get16(sizeAt + 2);
    }
    return true;
}

} // namespace tavlo::project
