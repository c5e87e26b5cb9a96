#pragma once
// Continuous recording writes into 20 pairs of segment files in rotation. Saving joins the
// segments that still exist in order of age into one data file and one index file, as a plain
// recording would have written them, so the project holds about the last loop of minutes.
#include "project/image/capture_writer.h"

#include <string>

namespace tavlo::capture {

struct JoinedRecording {
    std::string dataPath;  // header chunk, then the segments' records
    std::string indexPath; // each frame's start in the joined data; the first carries the mark
    int firstFrame = 0;    // frames before this one were overwritten
    int frames = 0;
};

// The writer must have finished. False, with the reason, when the joined files cannot be made.
bool joinSegments(const project::CaptureWriter& writer, int width, int height, bool compressed,
                  const std::string& folder, JoinedRecording& out, std::string& error);

} // namespace tavlo::capture
