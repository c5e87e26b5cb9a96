#include "movie/frame_effects.h"

#include <algorithm>
#include <cmath>

namespace tavlo::movie {

namespace {

swf::Rgba withAlpha(std::uint32_t rgb, int alpha) {
    return {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb),
            std::uint8_t(std::clamp(alpha, 0, 255))};
}

} // namespace

int effectFrames(int effectTime, double msPerFrame) {
    if (effectTime <= 0 || !(msPerFrame > 0)) return 0;
    return int(std::trunc(effectTime * 10.0 / msPerFrame));
}

std::vector<int> fadeInMultipliers(int fadeFrames) {
    std::vector<int> a;
    for (int j = 1; j <= fadeFrames; ++j) a.push_back(j == fadeFrames ? 256 : j * 256 / fadeFrames);
    return a;
}

std::vector<int> emergeAlphas(int n) {
    std::vector<int> a;
    for (int k = 0; k < n; ++k) a.push_back(255 - k * 255 / n);
    return a;
}

std::vector<int> sinkAlphas(int n) {
    std::vector<int> a;
    for (int k = 0; k < n && n > 1; ++k) a.push_back(k * 255 / (n - 1));
    return a;
}

SweepPlan sweepPlan(int width, int height, int effectTime, double msPerFrame) {
    SweepPlan plan;
    if (width <= 0 || height <= 0 || effectTime <= 0 || !(msPerFrame > 0)) return plan;
    const double e = effectTime * 10.0 / msPerFrame;
    plan.dx = width / e;
    plan.dy = height / e;
    plan.d = std::sqrt(double(width) * width + double(height) * height) - height;
    double x = 0, y = -height / 2;
    while (x < width) {
        plan.positions.push_back({int(x), int(y)});
        const double nx = std::trunc(x + plan.dx);
        x = nx > x ? nx : x + 1;
        y = std::trunc(y + plan.dy);
    }
    return plan;
}

FrameEffects::FrameEffects(swf::SwfContext& ctx, int width, int height, int twipsPerPixel, double msPerFrame,
                           std::uint32_t colour)
    : ctx_(ctx), width_(width), height_(height), twips_(twipsPerPixel), msPerFrame_(msPerFrame),
      colour_(colour) {}

void FrameEffects::beginFrame(const project::Frame& f) {
    if (f.frameEffect == kEffectFadeStart) fadeFrames_ = effectFrames(f.frameEffectTime, msPerFrame_);
    if (f.frameEffect == kEffectFadeStop) fadeFrames_ = 0;
    crossFade_ = crossFadeTime_ >= 0;
    if (crossFade_) {
        saved_ = fadeFrames_;
        fadeFrames_ = effectFrames(crossFadeTime_, msPerFrame_);
    }
}

int FrameEffects::endFrameImage(const project::Frame& f) {
    int advance = 0;
    if (crossFade_) {
        advance = fadeFrames_;
        fadeFrames_ = saved_;
        crossFade_ = false;
    }
    crossFadeTime_ = f.frameEffect == kEffectCrossFade ? f.frameEffectTime : -1;
    return advance;
}

int FrameEffects::placeFadingIn(Stage& stage, swf::SwfShape& shape, int global, bool immediate) {
    if (immediate || fadeFrames_ < 1) {
        stage.place(shape, global);
        return global;
    }
    const std::vector<int> a = fadeInMultipliers(fadeFrames_);
    for (std::size_t j = 0; j < a.size(); ++j) {
        shape.colourTransform = swf::ColorTransform{};
        shape.colourTransform->hasMult = true;
        shape.colourTransform->mult = {256, 256, 256, std::int16_t(a[j])};
        const int at = global + int(j);
        if (j + 1 < a.size())
            stage.flash(shape, at);
        else
            stage.place(shape, at);
    }
    // Later placements of the same bitmap start from no transform.
    shape.colourTransform.reset();
    return global + int(a.size()) - 1;
}

swf::SwfRectangle& FrameEffects::colourLayer(int alpha) {
    auto r = std::make_unique<swf::SwfRectangle>(ctx_, 0, 0, width_ - 1, height_ - 1);
    r->setLineWidth(0);
    r->setFillColour(withAlpha(colour_, alpha));
    r->scale(twips_ << 16, twips_ << 16);
    r->depth = kEffectDepth;
    auto& ref = *r;
    shapes_.push_back(std::move(r));
    return ref;
}

int FrameEffects::drawOpening(Stage& stage, const project::Frame& f, int first) {
    if (f.frameEffect == kEffectFadeIn) {
        const std::vector<int> alphas = emergeAlphas(effectFrames(f.frameEffectTime, msPerFrame_));
        for (std::size_t k = 0; k < alphas.size(); ++k) stage.flash(colourLayer(alphas[k]), first + int(k));
        return alphas.empty() ? -1 : first;
    }
    if (f.frameEffect != kEffectSweep) return -1;
    const SweepPlan plan = sweepPlan(width_, height_, f.frameEffectTime, msPerFrame_);
    if (plan.positions.empty()) return -1;
    // Two bands in twips, turned by 45 degrees: a soft edge rising to the highlight and one falling.
    const int u = twips_;
    const double side = std::sqrt(2 * plan.dx * plan.dx);
    const int top = int(-plan.d * u), bottom = int((plan.d + height_) * u);
    const int bandWidth = std::max(1, int(plan.dx * u));
    auto band = [&](int x0, bool rising) -> swf::SwfRectangle& {
        auto r = std::make_unique<swf::SwfRectangle>(ctx_, x0, top, x0 + bandWidth - 1, bottom);
        r->setLineWidth(0);
        const swf::Rgba clear = withAlpha(colour_, 0), lit = withAlpha(colour_, 150);
        r->setLinearGradient(rising ? clear : lit, rising ? lit : clear);
        r->rotate(45 << 16);
        r->depth = kEffectDepth;
        auto& ref = *r;
        shapes_.push_back(std::move(r));
        return ref;
    };
    swf::SwfRectangle& a = band(0, true);
    swf::SwfRectangle& b = band(int(side * u), false);
    for (std::size_t k = 0; k < plan.positions.size(); ++k) {
        const auto [x, y] = plan.positions[k];
        a.move(x * u, y * u);
        b.move(x * u, y * u);
        stage.flash(a, first + int(k));
        stage.flash(b, first + int(k));
    }
    return first;
}

int FrameEffects::drawClosing(Stage& stage, const project::Frame& f, int end, int earliest) {
    if (f.frameEffect != kEffectFadeOut) return -1;
    const int n = std::max(2, effectFrames(f.frameEffectTime, msPerFrame_));
    const std::vector<int> alphas = sinkAlphas(n);
    const int start = end - n;
    for (int k = 0; k < n; ++k)
        if (start + k >= earliest) stage.flash(colourLayer(alphas[std::size_t(k)]), start + k);
    return std::max(start, earliest);
}

} // namespace tavlo::movie
