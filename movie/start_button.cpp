#include "movie/start_button.h"

#include "movie/button_pictures.h"
#include "movie/resource_pictures.h"
#include "swf/script.h"

#include <algorithm>

namespace tavlo::movie {

namespace {

constexpr std::uint16_t kStartButtonDepth = 65501;
constexpr int kRelease = 6; // OverDownToOverUp

} // namespace

StartButton placeStartButton(swf::SwfContext& ctx, swf::SwfMovie& timeline, const StartButtonRequest& r) {
    StartButton b;
    const int d = std::min(std::max(r.width, r.height) / 5, 256);
    if (d < 1) return b;
    PictureRequest p;
    p.tint = r.colour;
    p.x = (r.width - d) / 2;
    p.y = (r.height - d) / 2;
    p.pixelWidth = p.pixelHeight = d;
    b.plain = pictureFromResource(ctx, startButtonResource(false, d, r.square), p);
    b.highlighted = pictureFromResource(ctx, startButtonResource(true, d, r.square), p);
    if (!b.plain || !b.highlighted) return {};
    for (swf::SwfRectangle* s : {b.plain.get(), b.highlighted.get()}) {
        s->scale(r.twipsPerPixel << 16, r.twipsPerPixel << 16);
        s->setLineWidth(0);
    }
    b.size = d;
    b.button = std::make_unique<swf::SwfButton>(ctx, *b.plain, *b.highlighted, *b.plain, *b.plain);
    b.button->addStep(swf::SetVariableStep("/control:playing", "1"), kRelease);
    b.button->addStep(swf::PlayStep(), kRelease);
    b.button->depth = kStartButtonDepth;
    swf::SwfFrame& first = timeline.frame(r.frame);
    first.place(*b.button);
    first.addStep(swf::SetVariableStep("/control:playing", "0"));
    first.addStep(swf::StopStep());
    timeline.frame(r.frame + 1).remove(*b.button);
    return b;
}

} // namespace tavlo::movie
