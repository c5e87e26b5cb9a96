#pragma once
// Colours that image edits bring into a movie are not in the recording's histogram. When edits
// carry over to later frames, a few rendered frames are sampled and their new colours counted.
#include "core/ui_prompts.h"
#include "movie/frame_source.h"
#include "project/project.h"

#include <cstdint>
#include <vector>

namespace tavlo::movie {

// True when some frame's image edit applies to the frames after it as well.
bool hasCarriedEdits(const project::Project& project);

// Adds the count 100 for every key (white excepted) that frames 1, 1 + s, 1 + 2s, ... show but
// `histogram` (32768 counts) lacks; s = frame count / 6, at least 1. Stops when `progress` is
// cancelled.
void sampleRenderedColours(const project::Project& project, FrameSource& frames, std::vector<std::uint32_t>& histogram,
                           Progress* progress);

} // namespace tavlo::movie
