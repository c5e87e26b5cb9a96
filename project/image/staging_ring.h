#pragma once
// Bytes on their way to the capture data file. The writer puts a message's bytes in and writes
// them out after every message; a message bigger than the room left pushes out 65,536 bytes at a
// time first, so a huge rectangle never needs a ring of its size.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavlo::project {

class StagingRing {
public:
    explicit StagingRing(std::size_t capacity);
    // min(20,000,000, half the free physical memory), at least 1 MiB.
    static std::size_t defaultCapacity();

    // False when writing out to `fd` failed; the bytes that could not be written are dropped.
    bool put(int fd, const std::uint8_t* data, std::size_t size);
    bool flush(int fd);
    std::size_t staged() const { return size_; }
    std::size_t capacity() const { return buffer_.size(); }

private:
    bool writeOut(int fd, std::size_t count);

    std::vector<std::uint8_t> buffer_;
    std::size_t head_ = 0; // oldest staged byte
    std::size_t size_ = 0;
};

// write(2) of all bytes, retrying short writes and interruptions.
bool writeAll(int fd, const std::uint8_t* data, std::size_t size);

} // namespace tavlo::project
