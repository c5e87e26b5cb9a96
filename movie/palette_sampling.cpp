#include "movie/palette_sampling.h"

#include <algorithm>

namespace tavlo::movie {

bool hasCarriedEdits(const project::Project& project) {
    for (const auto& node : project.frames())
        if (node->data.editedImage && !node->frame.editedImageOff && node->frame.editScope != 0) return true;
    return false;
}

void sampleRenderedColours(const project::Project& project, FrameSource& frames, std::vector<std::uint32_t>& histogram,
                           Progress* progress) {
    histogram.resize(32768, 0);
    const int n = project.frameCount();
    const int step = std::max(1, n / 6);
    project::PixelBuffer picture;
    for (int i = 0; i < n; i += step) {
        if (progress && progress->cancelled()) return;
        if (!frames.picture(i, picture)) continue;
        for (std::uint32_t v : picture.pixels) {
            v |= 0x070707;
            const std::uint32_t key = ((v >> 9) & 0x7C00) | ((v >> 6) & 0x3E0) | ((v >> 3) & 0x1F);
            if (key != 0x7FFF && histogram[key] == 0) histogram[key] = 100;
        }
    }
}

} // namespace tavlo::movie
