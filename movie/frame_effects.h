#pragma once
// Frame effects in the movie: the fade-in length of new frame content (transitional fades and
// cross-fades), fading a frame in from or out to the effect colour, and the sweeping highlight.
// The schedules are plain functions so that their step counts and alphas can be checked alone.
#include "movie/stage.h"
#include "project/frame.h"
#include "swf/shapes.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tavlo::movie {

inline constexpr std::uint16_t kEffectDepth = 65501;

// Frame effect numbers of the frame record.
enum FrameEffect : int {
    kEffectFadeIn = 1,
    kEffectFadeOut = 2,
    kEffectSweep = 3,
    kEffectCrossFade = 4,
    kEffectFadeStart = 5,
    kEffectFadeStop = 6,
};

// SWF frames that an effect time (1/100 s) spans at `msPerFrame`; 0 when either is not positive.
int effectFrames(int effectTime, double msPerFrame);
// Alpha multipliers (of 256) of the n steps by which new content fades in; the last is 256.
std::vector<int> fadeInMultipliers(int fadeFrames);
// Alphas of the colour layer of effect 1 (the frame emerges) and effect 2 (the frame sinks).
std::vector<int> emergeAlphas(int n);
std::vector<int> sinkAlphas(int n);

// The sweeping highlight's bands and their positions, in output pixels.
struct SweepPlan {
    double dx = 0, dy = 0, d = 0; // step sizes, overhang above and below
    std::vector<std::pair<int, int>> positions;
};
// Nothing for an effect time of no length. Each step moves at least one pixel, so a highlight over
// more steps than the content is wide still reaches its end.
SweepPlan sweepPlan(int width, int height, int effectTime, double msPerFrame);

class FrameEffects {
public:
    FrameEffects(swf::SwfContext& ctx, int width, int height, int twipsPerPixel, double msPerFrame,
                 std::uint32_t colour);

    // Step 1 of a frame's picture: transitional fades switch on and off; a cross-fade after the
    // previous frame's effect 4 holds for this frame only.
    void beginFrame(const project::Frame& f);
    int fadeFrames() const { return fadeFrames_; }
    bool crossFade() const { return crossFade_; }
    // After the frame's rectangles are out: the SWF frames to advance by (a cross-fade's length),
    // the fade length back to its saved value, and this frame remembered for the next.
    int endFrameImage(const project::Frame& f);

    // Places `shape` at `global`, faded in over fadeFrames() unless `immediate`; returns the frame
    // at which it is fully shown.
    int placeFadingIn(Stage& stage, swf::SwfShape& shape, int global, bool immediate);

    // Effects 1 and 3 from the frame's first SWF frame; effect 2 in the frame's last SWF frames
    // up to `end` (exclusive), never before `earliest`. Return the SWF frame the effect starts at,
    // or -1 when nothing was drawn.
    int drawOpening(Stage& stage, const project::Frame& f, int first);
    int drawClosing(Stage& stage, const project::Frame& f, int end, int earliest);

private:
    swf::SwfRectangle& colourLayer(int alpha);

    swf::SwfContext& ctx_;
    int width_, height_, twips_;
    double msPerFrame_;
    std::uint32_t colour_;
    int fadeFrames_ = 0, saved_ = 0;
    bool crossFade_ = false;
    int crossFadeTime_ = -1; // the previous frame's cross-fade time, -1 when it had none
    std::vector<std::unique_ptr<swf::SwfShape>> shapes_;
};

} // namespace tavlo::movie
