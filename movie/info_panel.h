#pragma once
// The information panel ("infobox"): a picture with a drop shadow that fades in, waits with a
// button over it (a click opens the information link and plays on), then fades out. Frame 0 of
// its timeline stops; the control bar's information button plays it.
#include "swf/button.h"
#include "swf/movie.h"
#include "swf/shapes.h"

#include <memory>
#include <string>
#include <vector>

namespace tavlo::movie {

struct InfoPanelRequest {
    int width = 0, height = 0; // output size in pixels
    int twipsPerPixel = 20;
    double msPerFrame = 50;
    std::string picturePath; // empty or unreadable: the built-in picture
    std::string link, target;
    int startFrame = 1;
};

struct InfoPanel {
    std::vector<std::unique_ptr<swf::SwfObject>> objects; // must live until the movie is saved
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0; // the picture, inclusive pixels
    int fadeFrames = 0;                  // m
    bool jpeg = false;                   // the picture went in as JPEG (smaller than lossless)
};

InfoPanel buildInfoPanel(swf::SwfContext& ctx, swf::SwfMovie& timeline, const InfoPanelRequest& request);

} // namespace tavlo::movie
