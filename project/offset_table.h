#pragma once
// The offset table at the start of a project file and the header chunk behind it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavlo::project {

inline constexpr std::uint32_t kNoSectionMark = 0xFFFFFFFFu; // entry N + 2: never written
inline constexpr int kHeaderChunkSize = 22;

struct OffsetTable {
    bool wide = true;
    std::vector<std::int64_t> entries; // entry 0 (end of the header chunk) to N, relative to data start
    std::int64_t sectionPosition = 0;  // absolute
    bool noSection = false;
    int firstSmaller = -1; // narrow tables: the first entry below its predecessor (taken 4 GiB higher)

    int width() const { return wide ? 8 : 4; }
    int imageCount() const { return entries.empty() ? 0 : int(entries.size()) - 1; }
    std::int64_t dataStart() const { return std::int64_t(entries.size() + 2) * width(); }
    // Absolute file position of the table entry that holds the section position.
    std::int64_t sectionEntryPosition() const { return std::int64_t(entries.size() + 1) * width(); }
};

// Reads the table from an open file. False when the bytes cannot be a table (cut short, no end).
bool readOffsetTable(int fd, std::int64_t fileSize, OffsetTable& t);
// The table's bytes, with the wide mark in entry 0.
std::string encodeOffsetTable(const OffsetTable& t);
std::string encodeTableEntry(std::int64_t value, bool wide);

struct HeaderChunk {
    bool compressed = false;
    int width = 0;
    int height = 0;
};

std::string encodeHeaderChunk(const HeaderChunk& h);
// False when the signature does not start with the product word.
bool parseHeaderChunk(std::string_view bytes, HeaderChunk& h);

// Positioned whole reads and writes; false on any short transfer.
bool readAt(int fd, std::int64_t pos, void* out, std::size_t n);
bool writeAt(int fd, std::int64_t pos, const void* data, std::size_t n);
std::int64_t fileSizeOf(int fd);

} // namespace tavlo::project
