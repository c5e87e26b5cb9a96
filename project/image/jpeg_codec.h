#pragma once
// Baseline JPEG blocks of the record stream, through the IJG interface of libjpeg-turbo.
#include <cstdint>
#include <span>
#include <vector>

namespace tavlo::project {

// Appends a JPEG of width × height row-major pixels (0x00RRGGBB). The output grows as needed.
// Chroma is kept at full resolution: screen content is mostly sharp coloured edges.
bool encodeJpeg(const std::uint32_t* pixels, int width, int height, int quality,
                std::vector<std::uint8_t>& out);

// Decodes a JPEG that must be exactly width × height into row-major pixels (0x00RRGGBB).
// False, with `out` possibly partly written, for damaged data or any other size.
bool decodeJpeg(std::span<const std::uint8_t> data, int width, int height, std::uint32_t* out);

} // namespace tavlo::project
