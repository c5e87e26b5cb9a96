#include "project/image/chunk_transcoder.h"

#include "project/image/block_codec.h"
#include "project/image/record_encoder.h"
#include "project/image/record_reader.h"
#include "project/image/staging_ring.h"

#include <cerrno>
#include <unistd.h>

namespace tavlo::project {

TranscodeResult recompressChunk(std::span<const std::uint8_t> chunk, PixelEncoding from, PixelEncoding to,
                                int frameWidth, int frameHeight, int captureQuality,
                                std::vector<std::uint8_t>& out, ColourHistogram* histogram) {
    TranscodeResult result;
    RecordReader reader(chunk, from, frameWidth, frameHeight);
    RecordEncoder encoder;
    std::vector<std::uint32_t> pixels, columns;
    RecordHead head;
    while (true) {
        const RecordReader::Next next = reader.next(head);
        if (next == RecordReader::Next::End) break;
        if (next == RecordReader::Next::Damaged) return result;
        if (head.type == RecordType::Idle) {
            RecordEncoder::idle(head.time, out);
            ++result.records;
            continue;
        }
        if (!head.shown) {
            if (!reader.pixels(nullptr).complete) return result;
            continue;
        }
        pixels.resize(head.rect.area());
        const RecordPixels px = reader.pixels(pixels.data());
        if (!px.complete) return result;
        const std::uint32_t* source = pixels.data();
        if (px.rowMajor) {
            columns.resize(pixels.size());
            rowsToColumns(pixels.data(), head.rect.width(), head.rect.height(), columns.data());
            source = columns.data();
        }
        if (!encoder.rectangle(head.type, head.time, head.rect, source, to, captureQuality, out, histogram))
            return result;
        ++result.records;
    }
    result.complete = true;
    return result;
}

bool copyChunk(int sourceFd, std::int64_t start, std::int64_t end, int targetFd) {
    std::vector<std::uint8_t> buffer(65536);
    while (start < end) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(end - start, 65536));
        const ssize_t n = ::pread(sourceFd, buffer.data(), want, start);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (!writeAll(targetFd, buffer.data(), std::size_t(n))) return false;
        start += n;
    }
    return true;
}

} // namespace tavlo::project
