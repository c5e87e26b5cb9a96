#include "movie/lossless_estimate.h"

#include <lzo/lzo1x.h>

#include <mutex>
#include <vector>

namespace tavlo::movie {

std::size_t measureLossless(const std::uint8_t* data, std::size_t length) {
    static const bool ready = lzo_init() == LZO_E_OK;
    if (!ready) return 0;
    // Per call, so that encoders on several threads never share the work memory.
    thread_local std::vector<std::uint8_t> work(LZO1X_1_MEM_COMPRESS);
    thread_local std::vector<std::uint8_t> out;
    out.resize(length + length / 16 + 64 + 3);
    lzo_uint written = 0;
    if (lzo1x_1_compress(data, lzo_uint(length), out.data(), &written, work.data()) != LZO_E_OK) return 0;
    return std::size_t(written) + 4;
}

} // namespace tavlo::movie
