#include "capture/segment_joining.h"

#include "project/image/capture_files.h"

#include <algorithm>
#include <unistd.h>
#include <vector>

namespace tavlo::capture {

namespace {

constexpr std::uint64_t kFirstFrameMark = 0xFFull << 56;

bool writeAll(int fd, const void* data, std::size_t n) {
    const char* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w <= 0) return false;
        p += w;
        n -= std::size_t(w);
    }
    return true;
}

bool copyRange(int from, std::int64_t start, std::int64_t end, int to) {
    std::vector<char> buf(1 << 20);
    while (start < end) {
        const std::size_t want = std::size_t(std::min<std::int64_t>(end - start, std::int64_t(buf.size())));
        ssize_t n = ::pread(from, buf.data(), want, start);
        if (n <= 0 || !writeAll(to, buf.data(), std::size_t(n))) return false;
        start += n;
    }
    return true;
}

} // namespace

bool joinSegments(const project::CaptureWriter& writer, int width, int height, bool compressed,
                  const std::string& folder, JoinedRecording& out, std::string& error) {
    std::vector<const project::SegmentFiles*> order;
    for (const auto& s : writer.segments())
        if (s.sequence > 0 && s.firstFrame >= 0) order.push_back(&s);
    std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->sequence < b->sequence; });
    if (order.empty()) {
        error = "The recording holds no frames.";
        return false;
    }
    auto data = project::createTempFile(folder, project::kDataPrefix);
    auto index = data ? project::createTempFile(folder, project::kIndexPrefix) : std::nullopt;
    if (!data || !index) {
        if (data) {
            ::close(data->fd);
            ::unlink(data->path.c_str());
        }
        error = "Unable to open capture file";
        return false;
    }
    auto fail = [&](const char* why) {
        ::close(data->fd);
        ::close(index->fd);
        ::unlink(data->path.c_str());
        ::unlink(index->path.c_str());
        error = why;
        return false;
    };
    const auto header = project::headerChunk(width, height, compressed);
    if (!writeAll(data->fd, header.data(), header.size()))
        return fail("The joined recording cannot be written.");
    std::int64_t joined = std::int64_t(header.size());
    bool first = true;
    int frames = 0;
    for (const project::SegmentFiles* s : order) {
        // Only the first use of the first segment begins with a header chunk of its own.
        const std::int64_t skip = s->sequence == 1 ? std::int64_t(header.size()) : 0;
        const std::int64_t end = ::lseek(s->data.fd, 0, SEEK_END);
        const std::int64_t indexBytes = ::lseek(s->index.fd, 0, SEEK_END);
        if (end < skip || indexBytes < 0) return fail("A segment of the recording cannot be read.");
        for (std::int64_t at = 0; at + 8 <= indexBytes; at += 8) {
            std::uint8_t b[8];
            if (::pread(s->index.fd, b, 8, at) != 8)
                return fail("A segment of the recording cannot be read.");
            std::uint64_t v = 0;
            for (int i = 7; i >= 0; --i) v = (v << 8) | b[i];
            v &= ~kFirstFrameMark;
            std::uint64_t entry = std::uint64_t(joined + std::int64_t(v) - skip);
            if (first) entry |= kFirstFrameMark;
            first = false;
            for (int i = 0; i < 8; ++i) b[i] = std::uint8_t(entry >> (8 * i));
            if (!writeAll(index->fd, b, 8)) return fail("The joined recording cannot be written.");
            ++frames;
        }
        if (!copyRange(s->data.fd, skip, end, data->fd))
            return fail("The joined recording cannot be written.");
        joined += end - skip;
    }
    ::close(data->fd);
    ::close(index->fd);
    out.dataPath = data->path;
    out.indexPath = index->path;
    out.firstFrame = order.front()->firstFrame;
    out.frames = frames;
    return true;
}

} // namespace tavlo::capture
