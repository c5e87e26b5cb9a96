#include "project/image/chunk_decoder.h"

#include "project/image/record_reader.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tavlo::project {

namespace {

// A damaged chunk could repeat full-frame rectangles that cost a few bytes each; this many frames'
// worth of pixels (the decoder's cache budget) ends it.
constexpr std::size_t kMaxFramesOfPixels = 40;

} // namespace

DecodedChunk decodeChunk(std::span<const std::uint8_t> bytes, PixelEncoding encoding, int frameWidth,
                         int frameHeight, RecordSelection selection) {
    DecodedChunk chunk;
    RecordReader reader(bytes, encoding, frameWidth, frameHeight);
    const std::size_t pixelLimit =
        std::size_t(std::max(frameWidth, 1)) * std::size_t(std::max(frameHeight, 1)) * kMaxFramesOfPixels;
    RecordHead head;
    while (true) {
        const RecordReader::Next next = reader.next(head);
        if (next == RecordReader::Next::End) break;
        if (next == RecordReader::Next::Damaged) {
            chunk.failed = true;
            break;
        }
        if (head.type == RecordType::Idle) {
            chunk.idleTime += head.time;
            continue;
        }
        const bool wanted = head.shown &&
                            !(head.type == RecordType::Before && selection == RecordSelection::ForwardOnly) &&
                            !(head.type == RecordType::After && selection == RecordSelection::BackwardOnly);
        if (!wanted) {
            // Not kept, but its pixels are still in the stream: step over them.
            if (!reader.pixels(nullptr).complete) {
                chunk.failed = true;
                break;
            }
            continue;
        }
        const std::size_t count = head.rect.area();
        if (chunk.decodedPixels + count > pixelLimit) {
            chunk.failed = true;
            break;
        }
        DecodedRect decoded;
        decoded.rect = head.rect;
        decoded.pixels.resize(count);
        const RecordPixels px = reader.pixels(decoded.pixels.data());
        decoded.rowMajor = px.rowMajor;
        decoded.decoded = px.decoded;
        chunk.decodedPixels += px.decoded;
        if (px.decoded > 0) {
            if (head.type == RecordType::Before)
                chunk.before.push_back(std::move(decoded));
            else if (head.type == RecordType::After)
                chunk.after.push_back(std::move(decoded));
            else {
                chunk.pointer = std::move(decoded);
                chunk.pointerTime = head.time;
            }
        }
        if (!px.complete) {
            chunk.failed = true;
            break;
        }
    }
    return chunk;
}

DecodedChunk decodeChunkFromFile(int fd, std::int64_t start, std::int64_t end, PixelEncoding encoding,
                                 int frameWidth, int frameHeight, RecordSelection selection) {
    struct stat st {};
    std::vector<std::uint8_t> bytes;
    if (fstat(fd, &st) == 0 && start >= 0 && start < end) {
        const std::int64_t stop = std::min<std::int64_t>(end, st.st_size);
        if (start < stop) {
            bytes.resize(static_cast<std::size_t>(stop - start));
            std::size_t got = 0;
            while (got < bytes.size()) {
                const ssize_t n =
                    pread(fd, bytes.data() + got, bytes.size() - got, start + std::int64_t(got));
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                got += std::size_t(n);
            }
            bytes.resize(got);
        }
    }
    DecodedChunk chunk = decodeChunk(bytes, encoding, frameWidth, frameHeight, selection);
    if (static_cast<std::int64_t>(bytes.size()) < end - start) chunk.failed = true; // cut short
    return chunk;
}

void paintRect(PixelBuffer& picture, const DecodedRect& r, int dx, int dy) {
    const int w = r.rect.width(), h = r.rect.height();
    if (w < 1 || h < 1 || r.decoded == 0) return;
    const int ox = r.rect.left + dx, oy = r.rect.top + dy;
    // The part of the rectangle (in its own coordinates) that lands inside the picture.
    const int x0 = std::max(0, -ox), y0 = std::max(0, -oy);
    const int x1 = std::min(w, picture.width - ox), y1 = std::min(h, picture.height - oy);
    if (x0 >= x1 || y0 >= y1) return;
    const std::uint32_t* src = r.pixels.data();
    const std::size_t total = std::size_t(w) * std::size_t(h);
    if (r.rowMajor) {
        const int fullRows = static_cast<int>(std::min(r.decoded, total) / std::size_t(w));
        for (int y = y0; y < std::min(y1, fullRows); ++y)
            std::copy(src + std::size_t(y) * w + x0, src + std::size_t(y) * w + x1,
                      picture.row(oy + y) + ox + x0);
        return;
    }
    // Column order: copy in tiles so that both sides stay in cache.
    const std::size_t decoded = std::min(r.decoded, total);
    const int fullCols = static_cast<int>(decoded / std::size_t(h));
    const int partRows = static_cast<int>(decoded % std::size_t(h));
    constexpr int kTile = 32;
    const int colEnd = std::min(x1, fullCols);
    for (int ty = y0; ty < y1; ty += kTile) {
        const int tyEnd = std::min(y1, ty + kTile);
        for (int tx = x0; tx < colEnd; tx += kTile) {
            const int txEnd = std::min(colEnd, tx + kTile);
            for (int y = ty; y < tyEnd; ++y) {
                std::uint32_t* dst = picture.row(oy + y) + ox;
                const std::uint32_t* s = src + y;
                for (int x = tx; x < txEnd; ++x) dst[x] = s[std::size_t(x) * h];
            }
        }
    }
    if (fullCols < x1 && fullCols >= x0 && partRows > 0) {
        const std::uint32_t* s = src + std::size_t(fullCols) * h;
        for (int y = y0; y < std::min(y1, partRows); ++y) picture.row(oy + y)[ox + fullCols] = s[y];
    }
}

void paintForward(PixelBuffer& picture, const DecodedChunk& chunk, int dx, int dy) {
    for (const DecodedRect& r : chunk.after) paintRect(picture, r, dx, dy);
}

void paintBackward(PixelBuffer& picture, const DecodedChunk& chunk, int dx, int dy) {
    for (const DecodedRect& r : chunk.before) paintRect(picture, r, dx, dy);
}

} // namespace tavlo::project
