#pragma once
// The play button a movie can start behind: the movie stops at its first frame under a centred
// round button; a click starts it.
#include "swf/button.h"
#include "swf/movie.h"
#include "swf/shapes.h"

#include <memory>
#include <vector>

namespace tavlo::movie {

struct StartButtonRequest {
    int width = 0, height = 0; // output size in pixels
    int twipsPerPixel = 20;
    std::uint32_t colour = 0;  // the control bar's button colour, which tints the button
    bool square = false;       // the bar styles with square buttons
    int frame = 0;             // local frame of the movie's first picture
};

// The objects the button is made of; they must live until the movie is saved.
struct StartButton {
    std::unique_ptr<swf::SwfRectangle> plain, highlighted;
    std::unique_ptr<swf::SwfButton> button;
    int size = 0; // pixels
};

// Places the button at `frame` (removed one frame later) and the scripts that hold the movie
// there; nothing when its pictures cannot be made.
StartButton placeStartButton(swf::SwfContext& ctx, swf::SwfMovie& timeline, const StartButtonRequest& request);

} // namespace tavlo::movie
