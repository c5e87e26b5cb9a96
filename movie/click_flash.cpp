#include "movie/click_flash.h"

#include <algorithm>
#include <cmath>

namespace tavlo::movie {

std::optional<ClickPoint> clickPosition(const project::Frame& f, const project::PointerShapeTable& table) {
    if (f.pointerX == project::kNoPointer || f.pointerY == project::kNoPointer) return std::nullopt;
    ClickPoint p{f.pointerX, f.pointerY};
    for (const project::PointerShape& s : table.shapes)
        if (f.pointerHandle != 0 && s.handle == f.pointerHandle && s.group == f.pointerShapeGroup) {
            p.x += s.hotX;
            p.y += s.hotY;
            break;
        }
    return p;
}

int clickFlashAlpha(int j, int size) {
    return size > 0 ? 240 - j * (200 / size) : 0;
}

ClickFlash::ClickFlash(swf::SwfContext& ctx, int size, std::uint32_t colour, int twipsPerPixel, double scaleX,
                       double scaleY)
    : ctx_(ctx), twips_(twipsPerPixel), scaleX_(scaleX), scaleY_(scaleY) {
    if (size < 1) return;
    body_ = std::make_unique<swf::SwfMovie>(ctx_);
    const int u = twips_;
    for (int j = 1; j <= size; ++j) {
        auto c = std::make_unique<swf::SwfEllipse>(ctx_, 0, 0, j * u);
        c->setNoFill();
        c->setLineWidth(2 * u);
        c->setLineColour({std::uint8_t(colour >> 16), std::uint8_t(colour >> 8), std::uint8_t(colour),
                          std::uint8_t(std::clamp(clickFlashAlpha(j, size), 0, 255))});
        body_->frame(j - 1).place(*c);
        body_->frame(j).remove(*c);
        circles_.push_back(std::move(c));
    }
    // The frame after the last circle stops on an empty picture, so the flash does not linger.
    body_->frame(size).addStep(swf::StopStep());
    body_->frame(size).closeActions();
    frames_ = size + 1;
    clip_ = std::make_unique<swf::SwfTransformClip>(ctx_, *body_, "mouseflash");
    clip_->depth = kClickFlashDepth;
    clip_->scale(int(std::trunc(65536.0 * scaleX_)), int(std::trunc(65536.0 * scaleY_)));
}

void ClickFlash::place(Stage& stage, double x, double y, int global) {
    if (!clip_) return;
    // The earlier press's flash goes (its sprite has stopped, empty); placing it anew restarts it.
    stage.remove(*clip_, global);
    clip_->move(int(std::trunc(x * twips_ * scaleX_)), int(std::trunc(y * twips_ * scaleY_)));
    stage.place(*clip_, global);
}

} // namespace tavlo::movie
