#include "project/image/snapshot_codec.h"

#include "project/image/byte_io.h"
#include "project/image/fastlz.h"

#include <algorithm>

namespace tavlo::project {

namespace {

constexpr std::size_t kHeaderBytes = 12;
constexpr std::size_t kTrailerBytes = 4;
constexpr int kMaxSide = 32767; // frame sizes are 16-bit in the project file
// No FastLZ instruction yields more than 256 bytes per byte it takes (a level-2 length byte 255).
constexpr std::uint64_t kMaxExpansion = 256;

} // namespace

std::vector<std::uint8_t> compressSnapshotPixels(const PixelBuffer& picture) {
    std::vector<std::uint8_t> raw(picture.pixels.size() * 4);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        putU32At(raw.data() + 4 * i, picture.pixels[i] | 0xFF000000u);
    std::vector<std::uint8_t> out;
    fastlzCompress(raw.size() < 65536 ? 1 : 2, raw, out);
    return out;
}

std::optional<PixelBuffer> decompressSnapshotPixels(int width, int height,
                                                    std::span<const std::uint8_t> data) {
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return std::nullopt;
    const std::uint64_t bytes = std::uint64_t(width) * std::uint64_t(height) * 4;
    if (bytes > (std::uint64_t(data.size()) + 1) * kMaxExpansion) return std::nullopt;

    std::vector<std::uint8_t> raw(static_cast<std::size_t>(bytes));
    const auto got = fastlzDecompress(data, raw);
    if (!got || *got != raw.size()) return std::nullopt;
    PixelBuffer picture(width, height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = getU32At(raw.data() + 4 * i) & 0x00FFFFFF;
    return picture;
}

std::vector<std::uint8_t> encodeSnapshot(const PixelBuffer& picture) {
    std::vector<std::uint8_t> blob(kHeaderBytes);
    const std::vector<std::uint8_t> data = compressSnapshotPixels(picture);
    blob.insert(blob.end(), data.begin(), data.end());
    const std::size_t n = data.size();
    putU32At(blob.data(), static_cast<std::uint32_t>(n));
    putU32At(blob.data() + 4, static_cast<std::uint32_t>(picture.width));
    putU32At(blob.data() + 8, static_cast<std::uint32_t>(picture.height));
    blob.insert(blob.end(), kTrailerBytes, 0);
    return blob;
}

std::optional<PixelBuffer> decodeSnapshot(std::span<const std::uint8_t> blob) {
    if (blob.size() < kHeaderBytes) return std::nullopt;
    const std::uint32_t n = getU32At(blob.data());
    const auto width = static_cast<std::int32_t>(getU32At(blob.data() + 4));
    const auto height = static_cast<std::int32_t>(getU32At(blob.data() + 8));
    if (n > blob.size() - kHeaderBytes) return std::nullopt;
    return decompressSnapshotPixels(width, height, blob.subspan(kHeaderBytes, n));
}

void paintSnapshot(PixelBuffer& picture, const PixelBuffer& snapshot) {
    const int ox = (picture.width - snapshot.width) / 2;
    const int oy = (picture.height - snapshot.height) / 2;
    const int x0 = std::max(0, -ox), y0 = std::max(0, -oy);
    const int x1 = std::min(snapshot.width, picture.width - ox),
              y1 = std::min(snapshot.height, picture.height - oy);
    if (x0 >= x1) return;
    for (int y = y0; y < y1; ++y)
        std::copy(snapshot.row(y) + x0, snapshot.row(y) + x1, picture.row(oy + y) + ox + x0);
}

} // namespace tavlo::project
