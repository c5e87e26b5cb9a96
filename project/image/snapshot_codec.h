#pragma once
// Snapshots: a frame's complete picture kept so the frame can be shown without the frames before
// it. The blob is a u32 n, an i32 width, an i32 height, n bytes of FastLZ data holding width ×
// height pixels 0xFFRRGGBB, and 4 bytes that readers skip.
#include "project/image/pixel_buffer.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tavlo::project {

std::vector<std::uint8_t> encodeSnapshot(const PixelBuffer& picture);

// The FastLZ part alone (the project keeps width, height and these bytes apart).
std::vector<std::uint8_t> compressSnapshotPixels(const PixelBuffer& picture);
std::optional<PixelBuffer> decompressSnapshotPixels(int width, int height,
                                                    std::span<const std::uint8_t> data);

// The snapshot's picture (pixels 0x00RRGGBB), or nothing for a damaged blob. The size is checked
// against what n bytes can possibly expand to before anything is allocated.
std::optional<PixelBuffer> decodeSnapshot(std::span<const std::uint8_t> blob);

// Copies a snapshot into the frame picture, centred when the sizes differ.
void paintSnapshot(PixelBuffer& picture, const PixelBuffer& snapshot);

} // namespace tavlo::project
