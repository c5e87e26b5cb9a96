#include "tests/support/synthetic_scene.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tavlo::test {

SyntheticScene::SyntheticScene(int width, int height, std::uint32_t seed)
    : w_(width), h_(height), rng_(seed ? seed : 1), screen_(std::size_t(width) * height, 0x00C0C0C0u) {}

void SyntheticScene::fillAt(std::int64_t t, Rect r, std::uint32_t colour) {
    steps_.push_back({t, Step::Fill, r, colour, 0});
}
void SyntheticScene::noiseAt(std::int64_t t, Rect r) {
    steps_.push_back({t, Step::Noise, r, 0, 0});
}
void SyntheticScene::scrollAt(std::int64_t t, Rect r, int dy) {
    steps_.push_back({t, Step::Scroll, r, 0, dy});
}
void SyntheticScene::shapeAt(std::int64_t t, std::uint32_t handle) {
    steps_.push_back({t, Step::Shape, {}, handle, 0});
}
void SyntheticScene::clickAt(std::int64_t t) {
    steps_.push_back({t, Step::Click, {}, 0, 0});
}
void SyntheticScene::keyAt(std::int64_t t) {
    steps_.push_back({t, Step::Key, {}, 0, 0});
}
void SyntheticScene::pointerPath(std::int64_t t0, int x0, int y0, std::int64_t t1, int x1, int y1) {
    paths_.push_back({t0, t1, x0, y0, x1, y1});
}

void SyntheticScene::advance(int ms) {
    now_ += ms;
    std::stable_sort(steps_.begin() + std::ptrdiff_t(nextStep_), steps_.end(),
                     [](const Step& a, const Step& b) { return a.t < b.t; });
    while (nextStep_ < steps_.size() && steps_[nextStep_].t <= now_) apply(steps_[nextStep_++]);
}

void SyntheticScene::apply(const Step& s) {
    Rect r = platform::clampToDesktop(s.r, desktop());
    switch (s.kind) {
    case Step::Fill:
        for (int y = r.top; y < r.bottom; ++y)
            std::fill_n(&screen_[std::size_t(y) * w_ + r.left], r.width(), s.value);
        break;
    case Step::Noise:
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                rng_ = rng_ * 1664525u + 1013904223u;
                screen_[std::size_t(y) * w_ + x] = (rng_ >> 8) & 0x00FFFFFFu;
            }
        break;
    case Step::Scroll:
        for (int y = r.top; y < r.bottom; ++y) {
            int from = y + s.dy;
            std::uint32_t* dst = &screen_[std::size_t(y) * w_ + r.left];
            if (from < r.bottom)
                std::memmove(dst, &screen_[std::size_t(from) * w_ + r.left], std::size_t(r.width()) * 4);
            else
                std::fill_n(dst, r.width(), 0x00FFFFFFu);
        }
        break;
    case Step::Shape:
        handle_ = s.value;
        break;
    case Step::Click:
        clickDown_ = clickUp_ = true;
        break;
    case Step::Key:
        keyDown_ = keyUp_ = true;
        break;
    }
}

platform::PointerState SyntheticScene::pointerAt(std::int64_t t) const {
    platform::PointerState p{w_ / 2, h_ / 2, handle_, false};
    for (const Path& path : paths_) {
        if (t < path.t0) continue;
        if (t >= path.t1) {
            p.x = path.x1;
            p.y = path.y1;
            continue;
        }
        const double f = double(t - path.t0) / double(path.t1 - path.t0);
        p.x = path.x0 + int((path.x1 - path.x0) * f);
        p.y = path.y0 + int((path.y1 - path.y0) * f);
    }
    return p;
}

bool SyntheticScene::grab(const Rect& area, std::uint32_t* out) {
    if (area.empty() || platform::clampToDesktop(area, desktop()) != area) return false;
    for (int y = area.top; y < area.bottom; ++y)
        std::memcpy(out + std::size_t(y - area.top) * area.width(), &screen_[std::size_t(y) * w_ + area.left],
                    std::size_t(area.width()) * 4);
    grabs_.push_back({now_, area,
                      std::vector<std::uint32_t>(out, out + std::size_t(area.width()) * area.height()),
                      pointerAt(now_)});
    return true;
}

bool SyntheticScene::read(platform::PointerState& state) {
    state = pointerAt(now_);
    return true;
}

bool SyntheticScene::shape(std::uint32_t handle, platform::PointerShape& out) {
    // Each handle draws a 16 × 16 arrow-like wedge in its own colour, transparent elsewhere.
    out = platform::PointerShape{};
    out.handle = handle;
    out.width = out.height = 16;
    out.hotX = out.hotY = 1;
    out.pixels.assign(256, platform::kPointerTransparent);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x <= y / 2; ++x)
            out.pixels[std::size_t(y) * 16 + x] = (handle * 0x3F1F07u) & 0x00FFFFFFu;
    return true;
}

bool SyntheticScene::takeClickDown() {
    return std::exchange(clickDown_, false);
}
bool SyntheticScene::takeClickUp() {
    return std::exchange(clickUp_, false);
}
bool SyntheticScene::takeKeyDown() {
    return std::exchange(keyDown_, false);
}
bool SyntheticScene::takeKeyUp() {
    return std::exchange(keyUp_, false);
}

} // namespace tavlo::test
