#include "movie/resource_pictures.h"

#include <algorithm>
#include <cmath>

namespace tavlo::movie {

namespace {

// Coverage-sampled drawing: 4 x 4 samples a pixel, so edges are smooth at every size.
template <class Inside> double coverage(int x, int y, Inside inside) {
    int hits = 0;
    for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) hits += inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4);
    return hits / 16.0;
}

// Mid-grey body, so that a tint takes over fully, with a dark rim and a white play sign.
Picture startButton(int size, bool highlighted, bool square) {
    Picture p(size, size);
    const double c = size / 2.0, outer = size * 0.47, rim = size * 0.035;
    const double corner = size * 0.18;
    auto inBody = [&](double x, double y, double shrink) {
        const double r = outer - shrink;
        if (!square) return std::hypot(x - c, y - c) <= r;
        const double dx = std::max(std::abs(x - c) - (r - corner), 0.0);
        const double dy = std::max(std::abs(y - c) - (r - corner), 0.0);
        return std::hypot(dx, dy) <= corner;
    };
    // The play sign: a triangle pointing right, its centre of mass a little right of the middle.
    const double h = size * 0.36, left = c - h * 0.38, right = c + h * 0.62;
    auto inPlay = [&](double x, double y) {
        if (x < left || x > right) return false;
        const double half = h / 2 * (right - x) / (right - left);
        return std::abs(y - c) <= half;
    };
    const std::uint32_t body = highlighted ? 0xA0A0A0 : 0x808080;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double all = coverage(x, y, [&](double u, double v) { return inBody(u, v, 0); });
            if (all <= 0) continue;
            const double inner = coverage(x, y, [&](double u, double v) { return inBody(u, v, rim); });
            const double play = coverage(x, y, inPlay);
            // Shading from the top: a lighter upper half reads as a raised button.
            const double light = 1.0 + 0.25 * (c - y) / size;
            auto mix = [&](int shift) {
                const double b = std::min(255.0, (body >> shift & 255) * light);
                const double v = 0x30 * (all - inner) + b * (inner - play) + 255 * play;
                return std::uint32_t(std::clamp(v / all, 0.0, 255.0));
            };
            p.at(x, y) = std::uint32_t(all * 255 + 0.5) << 24 | mix(16) << 16 | mix(8) << 8 | mix(0);
        }
    return p;
}

// A neutral panel with a rounded frame and an "i" sign, for the information panel.
Picture defaultInformation() {
    const int w = 240, h = 120;
    Picture p(w, h, 0xFFF4F4F4);
    for (int x = 0; x < w; ++x) p.at(x, 0) = p.at(x, h - 1) = 0xFF606060;
    for (int y = 0; y < h; ++y) p.at(0, y) = p.at(w - 1, y) = 0xFF606060;
    const double cx = 60, cy = 60, r = 36;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double disc = coverage(x, y, [&](double u, double v) { return std::hypot(u - cx, v - cy) <= r; });
            if (disc <= 0) continue;
            const double sign = coverage(x, y, [&](double u, double v) {
                return (std::hypot(u - cx, v - (cy - 18)) <= 5) ||
                       (std::abs(u - cx) <= 4.5 && v >= cy - 8 && v <= cy + 22);
            });
            const double blue = 0x3070C0 & 255;
            auto ch = [&](double colour, double back) {
                return std::uint32_t(back * (1 - disc) + (colour * (disc - sign) + 255 * sign));
            };
            p.at(x, y) = 0xFF000000u | ch(0x30, 0xF4) << 16 | ch(0x70, 0xF4) << 8 | ch(blue, 0xF4);
        }
    return p;
}

} // namespace

int startButtonResource(bool highlighted, int d, bool square) {
    const int size = d >= 129 ? 4 : d >= 65 ? 2 : 0;
    return (highlighted ? kStartButtonHighlighted : kStartButton) + size + (square ? kSquareStyleOffset : 0);
}

std::optional<Picture> resourcePicture(int id) {
    if (id == kDefaultInformationPicture) return defaultInformation();
    for (bool square : {false, true})
        for (int s = 0; s < 3; ++s)
            for (bool hi : {false, true})
                if (id == (hi ? kStartButtonHighlighted : kStartButton) + 2 * s + (square ? kSquareStyleOffset : 0))
                    return startButton(64 << s, hi, square);
    return std::nullopt;
}

} // namespace tavlo::movie
