#pragma once
// A quick estimate of how small lossless bitmap data would compress, to weigh it against a JPEG.
#include <cstddef>
#include <cstdint>

namespace tavlo::movie {

// The LZO1X-1 compressed length of the bytes + 4; 0 when the compressor cannot run.
std::size_t measureLossless(const std::uint8_t* data, std::size_t length);

} // namespace tavlo::movie
