#pragma once
// The movie's opening transition (the first picture zooms in from its centre and/or fades in from
// the background) and its closing one (the last picture zooms out to the background and/or the
// background fades over it).
#include "movie/stage.h"
#include "swf/shapes.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tavlo::movie {

// The scales (percent) of the zoom steps, and the alphas of the background layer's steps.
std::vector<double> zoomInScales();  // 1.0 growing by 1.2 up to 100: 26 steps
std::vector<double> zoomOutScales(); // 100 shrinking by a fifth while at least 1: 21 steps
std::vector<int> fadeInFromBackgroundAlphas(); // 255 … 12: 26 steps
std::vector<int> fadeOutToBackgroundAlphas();  // 12 … 255: 26 steps

inline constexpr std::uint16_t kTransitionBackgroundDepth = 65499;
inline constexpr std::uint16_t kTransitionPictureDepth = 65500;
inline constexpr std::uint16_t kTransitionFadeDepth = 65501;

class Transitions {
public:
    Transitions(swf::SwfContext& ctx, int width, int height, int twipsPerPixel, std::uint32_t background,
                bool zoomIn, bool fadeIn, bool zoomOut, bool fadeOut);

    // True while the first picture of the run is still to come and an opening transition is on.
    bool openingPending() const { return pending_ && (zoomIn_ || fadeIn_); }
    // A rectangle of the first picture (w x h at its place, scaled by the unit): zoomed in when
    // asked, else placed at `global`. Returns the SWF frame at which it is shown for good.
    int placeOpening(Stage& stage, swf::SwfShape& shape, int w, int h, int global);
    // After the first picture's rectangles: the background fade, and the SWF frames to advance by
    // (0 when there is no opening transition). Ends the pending state.
    int finishOpening(Stage& stage, int global);

    bool closingOn() const { return zoomOut_ || fadeOut_; }
    // The last picture (w x h at the origin, scaled by the unit, not yet placed; may be null when
    // there is no zoom) from `global` on; returns the SWF frames to advance by.
    int runClosing(Stage& stage, swf::SwfShape* picture, int w, int h, int global);

private:
    swf::SwfRectangle& backgroundLayer(int x1, int y1, std::uint16_t depth, int alpha);

    swf::SwfContext& ctx_;
    int width_, height_, twips_;
    std::uint32_t background_;
    bool zoomIn_, fadeIn_, zoomOut_, fadeOut_;
    bool pending_ = true;
    int zoomSteps_ = 0;
    std::vector<std::unique_ptr<swf::SwfShape>> shapes_;
};

} // namespace tavlo::movie
