#include "capture/time_tidying.h"

namespace tavlo::capture {

void tidyFrameTimes(project::Project& project, bool withSound) {
    int carry = 0;
    for (const auto& node : project.frames()) {
        project::Frame& f = node->frame;
        const int v = carry + f.recordedTime;
        if (v > 4) {
            f.recordedTime = v - v % 5;
            carry = v % 5;
        } else {
            f.recordedTime = 5;
            carry = v - 5;
            if (carry < -15) break; // this frame keeps its display time, and the rest their times
        }
        f.displayTime = f.recordedTime;
    }
    if (withSound) {
        int position = 0;
        for (const auto& node : project.frames()) {
            node->frame.syncSoundPosition = position;
            position += node->frame.recordedTime;
        }
    }
}

} // namespace tavlo::capture
