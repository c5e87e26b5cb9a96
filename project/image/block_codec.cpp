#include "project/image/block_codec.h"

#include "project/image/jpeg_codec.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <zlib.h>

namespace tavlo::project {

namespace {

constexpr std::size_t kDiversityGroup = 2500;
constexpr std::size_t kInflateWindow = 256'000;

// Inflates a zlib block whose content is a u32 byte count and then width × height pixels of
// `bytesPerPixel` bytes (blue, green, red[, unused]) into 32-bit column-order pixels. The pixels
// go out through a fixed window, so a block that claims or holds more than the rectangle never
// grows anything.
bool inflatePixels(std::span<const std::uint8_t> data, std::size_t pixelCount, int bytesPerPixel,
                   std::uint32_t* out) {
    const std::uint64_t expected = std::uint64_t(pixelCount) * std::uint64_t(bytesPerPixel);
    if (expected > 0xFFFFFFFFull) return false;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    zs.next_in = const_cast<Bytef*>(data.data());
    zs.avail_in = static_cast<uInt>(data.size());

    std::vector<std::uint8_t> window(kInflateWindow);
    std::size_t have = 0; // bytes in the window not yet used
    bool headerRead = false;
    std::size_t done = 0; // pixels written
    bool ok = true;
    bool ended = false;
    while (ok && !ended) {
        zs.next_out = window.data() + have;
        zs.avail_out = static_cast<uInt>(window.size() - have);
        const int rc = inflate(&zs, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) {
            ended = true;
        } else if (rc != Z_OK) {
            ok = false; // damaged data, or input ended before the stream did (Z_BUF_ERROR)
            break;
        }
        have = window.size() - zs.avail_out;
        std::size_t pos = 0;
        if (!headerRead && have >= 4) {
            if (getU32At(window.data()) != expected) {
                ok = false;
                break;
            }
            headerRead = true;
            pos = 4;
        }
        if (headerRead) {
            const std::size_t whole = (have - pos) / std::size_t(bytesPerPixel);
            if (done + whole > pixelCount) {
                ok = false; // more pixels than the rectangle holds
                break;
            }
            const std::uint8_t* p = window.data() + pos;
            if (out) {
                for (std::size_t i = 0; i < whole; ++i, p += bytesPerPixel)
                    out[done + i] = std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
            }
            done += whole;
            pos += whole * std::size_t(bytesPerPixel);
        }
        std::copy(window.begin() + static_cast<std::ptrdiff_t>(pos),
                  window.begin() + static_cast<std::ptrdiff_t>(have), window.begin());
        have -= pos;
        if (!ended && zs.avail_in == 0 && have == window.size()) ok = false;
    }
    inflateEnd(&zs);
    return ok && ended && headerRead && done == pixelCount && have == 0;
}

void writeKindAndLength(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t kind, std::uint32_t n) {
    putU32At(out.data() + at, kind);
    putU32At(out.data() + at + 4, n);
}

} // namespace

double blockDiversity(const std::uint32_t* pixels, std::size_t count, ColourHistogram* histogram) {
    std::bitset<32768> seen;
    std::array<std::uint16_t, kDiversityGroup> touched;
    std::size_t touchedCount = 0;
    std::uint64_t m = 0;
    std::uint64_t g = 0;
    std::size_t inGroup = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t index = colourIndex(pixels[i]);
        if (histogram) ++(*histogram)[index];
        if (!seen[index]) {
            seen[index] = true;
            touched[touchedCount++] = static_cast<std::uint16_t>(index);
        }
        if (++inGroup == kDiversityGroup) {
            m += touchedCount;
            ++g;
            for (std::size_t t = 0; t < touchedCount; ++t) seen[touched[t]] = false;
            touchedCount = 0;
            inGroup = 0;
        }
    }
    if (g == 0) return 0.0;
    return static_cast<double>(m * 100 / g) * 0.0004;
}

bool chooseJpeg(double diversity, int captureQuality, int width, int height) {
    const double threshold = std::max((100 - captureQuality) * 0.1, 1.0);
    return diversity > threshold && width > 15 && height > 15;
}

void columnsToRows(const std::uint32_t* columns, int width, int height, std::uint32_t* rows) {
    constexpr int kTile = 32;
    const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
    for (std::size_t x0 = 0; x0 < w; x0 += kTile) {
        const std::size_t x1 = std::min(w, x0 + kTile);
        for (std::size_t y0 = 0; y0 < h; y0 += kTile) {
            const std::size_t y1 = std::min(h, y0 + kTile);
            for (std::size_t x = x0; x < x1; ++x)
                for (std::size_t y = y0; y < y1; ++y) rows[y * w + x] = columns[x * h + y];
        }
    }
}

void rowsToColumns(const std::uint32_t* rows, int width, int height, std::uint32_t* columns) {
    constexpr int kTile = 32;
    const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
    for (std::size_t y0 = 0; y0 < h; y0 += kTile) {
        const std::size_t y1 = std::min(h, y0 + kTile);
        for (std::size_t x0 = 0; x0 < w; x0 += kTile) {
            const std::size_t x1 = std::min(w, x0 + kTile);
            for (std::size_t y = y0; y < y1; ++y)
                for (std::size_t x = x0; x < x1; ++x) columns[x * h + y] = rows[y * w + x];
        }
    }
}

bool BlockEncoder::encode(const std::uint32_t* columnPixels, int width, int height, int captureQuality,
                          std::vector<std::uint8_t>& out, ColourHistogram* histogram) {
    const std::size_t count = std::size_t(width) * std::size_t(height);
    const double diversity = blockDiversity(columnPixels, count, histogram);
    if (chooseJpeg(diversity, captureQuality, width, height) &&
        encodeJpegBlock(columnPixels, width, height, out))
        return true;
    return encodeZlibBlock(columnPixels, width, height, out);
}

bool BlockEncoder::encodeJpegBlock(const std::uint32_t* columnPixels, int width, int height,
                                   std::vector<std::uint8_t>& out) {
    const std::size_t count = std::size_t(width) * std::size_t(height);
    rows_.resize(count);
    columnsToRows(columnPixels, width, height, rows_.data());
    const std::size_t start = out.size();
    out.resize(start + 8);
    if (!encodeJpeg(rows_.data(), width, height, kJpegQuality, out)) {
        out.resize(start);
        return false;
    }
    const std::size_t n = out.size() - start - 8;
    if (n > kMaxBlockBytes) {
        out.resize(start);
        return false;
    }
    writeKindAndLength(out, start, kBlockJpeg, static_cast<std::uint32_t>(n));
    return true;
}

bool BlockEncoder::encodeZlibBlock(const std::uint32_t* columnPixels, int width, int height,
                                   std::vector<std::uint8_t>& out) {
    const std::size_t count = std::size_t(width) * std::size_t(height);
    packed_.resize(4 + count * 3);
    putU32At(packed_.data(), static_cast<std::uint32_t>(count * 3));
    std::uint8_t* p = packed_.data() + 4;
    for (std::size_t i = 0; i < count; ++i, p += 3) {
        const std::uint32_t v = columnPixels[i];
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
        p[2] = static_cast<std::uint8_t>(v >> 16);
    }
    const std::size_t start = out.size();
    uLongf bound = compressBound(static_cast<uLong>(packed_.size()));
    out.resize(start + 8 + bound);
    if (compress2(out.data() + start + 8, &bound, packed_.data(), static_cast<uLong>(packed_.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK ||
        bound > kMaxBlockBytes) {
        out.resize(start);
        return false;
    }
    out.resize(start + 8 + bound);
    writeKindAndLength(out, start, kBlockZlib24, static_cast<std::uint32_t>(bound));
    return true;
}

DecodedBlock decodeBlock(ByteReader& in, int width, int height, std::uint32_t* out) {
    DecodedBlock result;
    const std::size_t count = std::size_t(width) * std::size_t(height);
    std::uint32_t kind;
    if (!in.u32(kind)) return result;
    std::uint32_t n = kind;
    if (kind == kBlockJpeg || kind == kBlockZlib24 || kind == kBlockZlib24Old) {
        if (!in.u32(n)) return result;
    }
    if (n > kMaxBlockBytes) return result;
    std::span<const std::uint8_t> data;
    if (!in.take(n, data)) return result;
    if (!out) {
        result.status = BlockStatus::Ok;
        result.rowMajor = kind == kBlockJpeg;
        return result;
    }
    bool ok;
    if (kind == kBlockJpeg) {
        result.rowMajor = true;
        ok = decodeJpeg(data, width, height, out);
    } else {
        const int bytesPerPixel = (kind == kBlockZlib24 || kind == kBlockZlib24Old) ? 3 : 4;
        ok = inflatePixels(data, count, bytesPerPixel, out);
    }
    result.status = ok ? BlockStatus::Ok : BlockStatus::Damaged;
    return result;
}

} // namespace tavlo::project
