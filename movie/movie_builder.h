#pragma once
// The publish run: walks the project's frames once in playing order and turns their changed
// regions into the main timeline and its segments, then saves, compresses and writes the
// information text. Reports through UiPrompts; nothing is thrown.
//
// Later parts plug in here: the control bar builds the "control" clip's body (ControlClip), talk
// bubbles, hotspots and sounds add to a frame after its picture (FrameAnnotations), the pointer
// layers and transitions after the regions.
#include "core/ui_prompts.h"
#include "movie/frame_source.h"
#include "movie/geometry.h"
#include "movie/movie_options.h"
#include "movie/output_files.h"
#include "project/project.h"

#include <string>
#include <vector>

namespace tavlo::movie {

inline constexpr int kMainTimelineFrames = 12000;
inline constexpr int kSegmentFrames = 4000;
inline constexpr int kMaxSegments = 3000;
inline constexpr int kMaxChapters = 1024;
inline constexpr int kObjectLimit = 55000;
// Placements one timeline may hold before the next frame goes to a new segment: every placement
// takes a depth of its own, and depths are 16-bit. The main timeline also holds two clips per
// segment, the control clip and its background, which the margin leaves room for.
inline constexpr int kPlacementLimit = 58000;

struct BuildRequest {
    std::string outputPath; // the movie, "….swf"
    MovieOptions options;
    int buildNumber = 1;
    // 1-based frame to start at ("创建摘录": from the current frame); 0 or 1 = from the first.
    int startFrame = 0;
};

struct BuildResult {
    enum class Outcome {
        Written,   // complete
        Truncated, // a limit ended the frame loop; what was built is written (the message was shown)
        Cancelled, // the user cancelled; the information text says so
        Failed,    // nothing usable was written; `error` says why
    };
    Outcome outcome = Outcome::Failed;
    std::string error; // the error text of an early stop
    OutputFiles files;
    bool loader = false; // the movie file loads the main movie (files.mainMovie)
    MovieUnit unit;
    int frameRate = 20;
    int swfFrames = 0;
    int segments = 1;
    long long sizeKb = 0; // -1 when cancelled
    int playbackSeconds = 0;
    int regions = 0, newBitmaps = 0, reusedBitmaps = 0, plainRectangles = 0, skippedRegions = 0;
    std::vector<int> frameStart; // 1-based project frame -> global SWF frame at which it begins
    // 1-based project frame -> the SWF frame at which its fade out to the effect colour starts (0
    // for frames without one); a jump to the frame lands there.
    std::vector<int> fadeStart;
    std::vector<int> segmentStart;
};

BuildResult buildMovie(project::Project& project, FrameSource& frames, UiPrompts& prompts,
                       const BuildRequest& request);

} // namespace tavlo::movie
