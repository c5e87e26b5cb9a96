#include "movie/transitions.h"

#include <algorithm>
#include <cmath>

namespace tavlo::movie {

std::vector<double> zoomInScales() {
    std::vector<double> s;
    for (double v = 1.0; v <= 100; v *= 1.2) s.push_back(v);
    return s;
}

std::vector<double> zoomOutScales() {
    std::vector<double> s;
    for (double v = 100; v >= 1; v -= v * 0.2) s.push_back(v);
    return s;
}

std::vector<int> fadeInFromBackgroundAlphas() {
    std::vector<int> a;
    double d = 3.0;
    for (int v = 255; v >= 0;) {
        d = std::min(d + 0.5, 15.0);
        a.push_back(v);
        v = int(std::trunc(v - d));
    }
    return a;
}

std::vector<int> fadeOutToBackgroundAlphas() {
    std::vector<int> a;
    double d = 15.0;
    for (int v = 12, n = 0; v < 256; ++n) {
        if (n >= 3) d = std::max(3.0, d - 0.5);
        a.push_back(v);
        v = int(std::trunc(v + d));
    }
    return a;
}

Transitions::Transitions(swf::SwfContext& ctx, int width, int height, int twipsPerPixel,
                         std::uint32_t background, bool zoomIn, bool fadeIn, bool zoomOut, bool fadeOut)
    : ctx_(ctx), width_(width), height_(height), twips_(twipsPerPixel), background_(background),
      zoomIn_(zoomIn), fadeIn_(fadeIn), zoomOut_(zoomOut), fadeOut_(fadeOut) {}

swf::SwfRectangle& Transitions::backgroundLayer(int x1, int y1, std::uint16_t depth, int alpha) {
    auto r = std::make_unique<swf::SwfRectangle>(ctx_, 0, 0, x1, y1);
    r->setLineWidth(0);
    r->setFillColour({std::uint8_t(background_ >> 16), std::uint8_t(background_ >> 8), std::uint8_t(background_),
                      std::uint8_t(std::clamp(alpha, 0, 255))});
    r->scale(twips_ << 16, twips_ << 16);
    r->depth = depth;
    auto& ref = *r;
    shapes_.push_back(std::move(r));
    return ref;
}

int Transitions::placeOpening(Stage& stage, swf::SwfShape& shape, int w, int h, int global) {
    if (!zoomIn_) {
        stage.place(shape, global);
        return global;
    }
    const std::vector<double> scales = zoomInScales();
    const int u = twips_;
    int n = global;
    for (double s : scales) {
        const int scale = int(std::trunc(u * 65536.0 * s / 100));
        shape.scale(scale, scale);
        shape.move(int(std::trunc(u * (w / 2 - w * s / 200))), int(std::trunc(u * (h / 2 - h * s / 200))));
        stage.flash(shape, n++);
    }
    zoomSteps_ = int(scales.size());
    shape.scale(u << 16, u << 16);
    shape.move(0, 0);
    stage.place(shape, n);
    return n;
}

int Transitions::finishOpening(Stage& stage, int global) {
    if (!openingPending()) {
        pending_ = false;
        return 0;
    }
    pending_ = false;
    int fadeSteps = 0;
    if (fadeIn_) {
        swf::SwfRectangle* layer = nullptr;
        for (int a : fadeInFromBackgroundAlphas()) {
            // One shape per alpha: a fill colour is part of the definition.
            layer = &backgroundLayer(width_ - 1, height_ - 1, kTransitionFadeDepth, a);
            stage.flash(*layer, global + fadeSteps++);
        }
    }
    return std::max(zoomSteps_, fadeSteps) + 5;
}

int Transitions::runClosing(Stage& stage, swf::SwfShape* picture, int w, int h, int global) {
    int steps = 0;
    const int u = twips_;
    if (zoomOut_ && picture) {
        stage.place(backgroundLayer(width_, height_, kTransitionBackgroundDepth, 255), global);
        picture->depth = kTransitionPictureDepth;
        int n = 0;
        for (double s : zoomOutScales()) {
            const int scale = int(std::trunc(u * 65536.0 * s / 100));
            picture->scale(scale, scale);
            picture->move(int(std::trunc(u * (w / 2 - w * s / 200))), int(std::trunc(u * (h / 2 - h * s / 200))));
            stage.flash(*picture, global + n++);
        }
        steps = n;
    }
    if (fadeOut_) {
        int n = 0;
        for (int a : fadeOutToBackgroundAlphas())
            stage.flash(backgroundLayer(width_ - 1, height_ - 1, kTransitionFadeDepth, a), global + n++);
        stage.place(backgroundLayer(width_ - 1, height_ - 1, kTransitionFadeDepth, 255), global + n);
        steps = n;
    }
    return steps + 20;
}

} // namespace tavlo::movie
