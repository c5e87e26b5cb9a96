#pragma once
// The compressing save's chunk re-encoder: run-length chunks become block chunks (JPEG for
// photographic rectangles, zlib otherwise), record by record.
#include "project/project_file.h"

namespace tavlo::project {

// A recoder for saveAsNewFile; the frame it is given learns its new encoding.
ChunkRecoder compressingRecoder(int frameWidth, int frameHeight, int captureQuality = 80);

} // namespace tavlo::project
