#include "swf/bitmap_cache_file.h"

#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace tavlo::swf {

bool BitmapCacheFile::open(const std::string& folder) {
    close();
    std::string pattern = folder + "/CSHXXXXXX.tmp";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemps(name.data(), 4);
    if (fd < 0) return false;
    file_ = fdopen(fd, "w+b");
    if (!file_) {
        ::close(fd);
        unlink(name.data());
        return false;
    }
    path_ = name.data();
    removeOnClose_ = true;
    return true;
}

bool BitmapCacheFile::openPath(const std::string& path) {
    close();
    file_ = std::fopen(path.c_str(), "w+b");
    if (!file_) return false;
    path_ = path;
    removeOnClose_ = false;
    return true;
}

void BitmapCacheFile::close() {
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
    if (removeOnClose_) std::remove(path_.c_str());
    path_.clear();
}

std::optional<uint64_t> BitmapCacheFile::append(const uint8_t* data, uint32_t length) {
    if (!file_) return std::nullopt;
    if (fseeko(file_, 0, SEEK_END) != 0) return std::nullopt;
    off_t offset = ftello(file_);
    if (offset < 0) return std::nullopt;
    uint8_t head[4] = {uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16), uint8_t(length >> 24)};
    // Flushed at once, so a full disk shows here and not when the movie is already half written.
    if (std::fwrite(head, 1, 4, file_) != 4 || std::fwrite(data, 1, length, file_) != length ||
        std::fflush(file_) != 0) {
        std::clearerr(file_);
        return std::nullopt;
    }
    return uint64_t(offset);
}

bool BitmapCacheFile::copyTo(uint64_t offset, uint32_t length, std::FILE* out) {
    if (!file_ || std::fflush(file_) != 0 || fseeko(file_, off_t(offset), SEEK_SET) != 0) return false;
    uint8_t head[4];
    if (std::fread(head, 1, 4, file_) != 4) {
        std::clearerr(file_);
        return false;
    }
    uint32_t stored =
        uint32_t(head[0]) | uint32_t(head[1]) << 8 | uint32_t(head[2]) << 16 | uint32_t(head[3]) << 24;
    if (stored != length) return false;
    std::vector<uint8_t> buffer(std::min<uint32_t>(length, 1u << 20));
    uint32_t left = length;
    while (left > 0) {
        size_t n = std::min<size_t>(left, buffer.size());
        if (std::fread(buffer.data(), 1, n, file_) != n) {
            std::clearerr(file_);
            return false;
        }
        if (std::fwrite(buffer.data(), 1, n, out) != n) return false;
        left -= uint32_t(n);
    }
    return true;
}

} // namespace tavlo::swf
