#include "movie/pointer_placement.h"

#include <cmath>

namespace tavlo::movie {

PointerShowing pointerShowing(const project::Frame& f, const PointerLayerSet* set, const PointerRules& rules) {
    PointerShowing s;
    if (!set || f.pointerHandle == 0 || !rules.showPointer || f.pointerHidden) return s;
    if (f.pointerX == project::kNoPointer || f.pointerY == project::kNoPointer) return s;
    // Over a hotspot the pointer shows only when the hotspot asks for it.
    if (f.hotspotOn && !f.pointerVisible && !f.hotspotShowUntil && !f.hotspotIgnoreClick) return s;
    const bool haloOnly = f.pointerSystemHidden && rules.showHiddenActivity;
    if (f.pointerSystemHidden && !haloOnly) return s;
    // An inverting shape shows only as far as the recorded picture holds it.
    if ((f.pointerInverts || set->inverts) && !haloOnly) return s;
    s.halo = rules.halo && set->halo != nullptr;
    if (!haloOnly) {
        s.picture = set->picture != nullptr;
        s.shadow = rules.shadow && set->shadow != nullptr && s.picture;
    }
    return s;
}

std::vector<PointerStep> pointerMotion(double x, double y, double endX, double endY, int n, double msPerFrame,
                                       double scaleX, double scaleY) {
    std::vector<PointerStep> steps;
    if (n < 2 || !(msPerFrame > 0) || n * msPerFrame > 500) return steps;
    const double dx = (endX - x) / n, dy = (endY - y) / n;
    if (dx == 0 && dy == 0) return steps;
    long lastX = long(std::trunc(x * scaleX)), lastY = long(std::trunc(y * scaleY));
    for (int k = 1; k < n; ++k) {
        x += dx;
        y += dy;
        const long px = long(std::trunc(x * scaleX)), py = long(std::trunc(y * scaleY));
        if (px == lastX && py == lastY) continue;
        lastX = px;
        lastY = py;
        steps.push_back({k, x, y});
    }
    return steps;
}

PointerPlacement::PointerPlacement(PointerLayers& layers, const PointerRules& rules, int twipsPerPixel,
                                   double scaleX, double scaleY, double msPerFrame)
    : layers_(layers), rules_(rules), twips_(twipsPerPixel), scaleX_(scaleX), scaleY_(scaleY),
      msPerFrame_(msPerFrame) {}

void PointerPlacement::placeAt(Stage& stage, double x, double y, int global) {
    const double u = twips_;
    const int r = layers_.radius();
    auto at = [&](swf::SwfRectangle& layer, double px, double py) {
        layer.move(int(std::trunc(px * u * scaleX_)), int(std::trunc(py * u * scaleY_)));
        stage.place(layer, global);
    };
    if (showing_.halo) at(*set_->halo, x - r, y - r);
    if (showing_.shadow) at(*set_->shadow, x + 2, y + 1);
    if (showing_.picture) at(*set_->picture, x, y);
}

void PointerPlacement::removeAt(Stage& stage, int global) {
    if (showing_.halo) stage.remove(*set_->halo, global);
    if (showing_.shadow) stage.remove(*set_->shadow, global);
    if (showing_.picture) stage.remove(*set_->picture, global);
}

void PointerPlacement::emitFrame(Stage& stage, const project::Frame& f, int first) {
    set_ = layers_.find(f.pointerHandle, f.pointerShapeGroup);
    showing_ = pointerShowing(f, set_, rules_);
    if (showing_.any()) placeAt(stage, f.pointerX, f.pointerY, first);
}

void PointerPlacement::finishFrame(Stage& stage, const project::Frame& f, int first, int end, bool timed) {
    if (!showing_.any()) return;
    if (timed && f.pointerEndX != project::kNoPointerEnd && f.pointerEndY != project::kNoPointerEnd) {
        for (const PointerStep& s : pointerMotion(f.pointerX, f.pointerY, f.pointerEndX, f.pointerEndY,
                                                  end - first, msPerFrame_, scaleX_, scaleY_)) {
            removeAt(stage, first + s.step);
            placeAt(stage, s.x, s.y, first + s.step);
        }
    }
    removeAt(stage, end);
    showing_ = {};
    set_ = nullptr;
}

} // namespace tavlo::movie
