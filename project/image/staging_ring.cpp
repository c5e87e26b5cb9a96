#include "project/image/staging_ring.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tavlo::project {

namespace {
constexpr std::size_t kWriteOutStep = 65536;
constexpr std::size_t kMaxStaging = 20'000'000;
constexpr std::size_t kMinStaging = 1 << 20;
} // namespace

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

StagingRing::StagingRing(std::size_t capacity) : buffer_(std::max<std::size_t>(capacity, kWriteOutStep)) {}

std::size_t StagingRing::defaultCapacity() {
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    std::size_t half = kMaxStaging;
    if (pages > 0 && pageSize > 0) half = std::size_t(pages) * std::size_t(pageSize) / 2;
    return std::max(kMinStaging, std::min(kMaxStaging, half));
}

bool StagingRing::writeOut(int fd, std::size_t count) {
    bool ok = true;
    count = std::min(count, size_);
    while (count > 0) {
        const std::size_t part = std::min(count, buffer_.size() - head_); // up to the wrap
        ok = writeAll(fd, buffer_.data() + head_, part) && ok;
        head_ = (head_ + part) % buffer_.size();
        size_ -= part;
        count -= part;
    }
    if (size_ == 0) head_ = 0;
    return ok;
}

bool StagingRing::put(int fd, const std::uint8_t* data, std::size_t size) {
    bool ok = true;
    while (size > 0) {
        if (size_ == buffer_.size()) ok = writeOut(fd, kWriteOutStep) && ok;
        const std::size_t tail = (head_ + size_) % buffer_.size();
        const std::size_t room = buffer_.size() - size_;
        const std::size_t part = std::min({size, room, buffer_.size() - tail});
        std::memcpy(buffer_.data() + tail, data, part);
        size_ += part;
        data += part;
        size -= part;
    }
    return ok;
}

bool StagingRing::flush(int fd) {
    return writeOut(fd, size_);
}

} // namespace tavlo::project
