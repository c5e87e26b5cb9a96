#pragma once
// Projects made by code for the movie tests: frames of one size with the given display times.
#include "project/project.h"

#include <vector>

namespace tavlo::test {

// `times` in 1/100 s; a frame of time 0 is a stop frame (recorded as half a second).
inline void addFrames(project::Project& project, int width, int height, const std::vector<int>& times) {
    project.frameWidth = width;
    project.frameHeight = height;
    project::CaptureContext c;
    c.width = width;
    c.height = height;
    for (int t : times) {
        project::FrameNode& f = project.appendCapturedFrame(c);
        f.frame.displayTime = t;
        f.frame.recordedTime = t == 0 ? 50 : t;
    }
}

} // namespace tavlo::test
