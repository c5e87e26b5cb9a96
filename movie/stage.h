#pragma once
// Where the frame content goes: the content timeline that holds the current segment, addressed by
// global SWF frame numbers. Counts its placements, since every one takes a depth of its own.
#include "swf/movie.h"

namespace tavlo::movie {

struct Stage {
    swf::SwfMovie& timeline;
    int start = 0;        // the global SWF frame of the timeline's frame 0
    int* placements = nullptr;

    swf::SwfFrame& frame(int global) { return timeline.frame(global - start); }
    void place(swf::SwfObject& o, int global) {
        frame(global).place(o);
        if (placements) ++*placements;
    }
    void remove(swf::SwfObject& o, int global) { frame(global).remove(o); }
    // Shown at `global` and taken away one frame later.
    void flash(swf::SwfObject& o, int global) {
        place(o, global);
        remove(o, global + 1);
    }
};

} // namespace tavlo::movie
