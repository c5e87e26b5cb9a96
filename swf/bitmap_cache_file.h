#pragma once
// The temporary file that holds the image payloads of one publish run until its movie is written,
// so that a movie of thousands of frame pictures keeps only offsets in memory.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace tavlo::swf {

class BitmapCacheFile {
public:
    BitmapCacheFile() = default;
    ~BitmapCacheFile() { close(); }
    BitmapCacheFile(const BitmapCacheFile&) = delete;
    BitmapCacheFile& operator=(const BitmapCacheFile&) = delete;

    // A new file "CSH*.tmp" in `folder`, removed again by close().
    bool open(const std::string& folder);
    // An existing path opened for reading and writing (kept on close); tests use it for files
    // that cannot be written, such as /dev/full.
    bool openPath(const std::string& path);
    void close();
    bool isOpen() const { return file_ != nullptr; }
    const std::string& path() const { return path_; }

    // Appends the record { u32 length, bytes } at the end; the offset of the record, or nothing
    // when the length or the payload could not be written in full.
    std::optional<uint64_t> append(const uint8_t* data, uint32_t length);
    // Copies the payload of the record at `offset` to `out`. False when the record cannot be
    // read, its stored length differs from `length`, or `out` takes fewer bytes.
    bool copyTo(uint64_t offset, uint32_t length, std::FILE* out);

private:
    std::FILE* file_ = nullptr;
    std::string path_;
    bool removeOnClose_ = false;
};

} // namespace tavlo::swf
