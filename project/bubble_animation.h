#pragma once
// A bubble's entrance and exit animation settings and their line form, shared by the effect file
// and the project file.
#include "core/line_format.h"

#include <array>
#include <cstdint>

namespace tavlo::project {

struct EffectOption {
    int version = 1; // a record of version 0 or less has no further lines
    int reserved = 0;
    int easing = 500;
    double reservedFloat = 0.0;
    int optionA = 0;
    int optionB = 0;
    bool operator==(const EffectOption&) const = default;
};

struct BubbleAnimation {
    // Entrance effects, then exit effects: fade, horizontal slide, vertical slide, zoom.
    int fadeIn = 0, slideHorizontalIn = 1, slideVerticalIn = 0, zoomIn = 0;
    int fadeOut = 0, slideHorizontalOut = 0, slideVerticalOut = 0, zoomOut = 0;
    int entranceDuration = 50, exitDuration = 50;
    int entranceTransition = 0, exitTransition = 0;
    int fadeInText = 0;
    // In stored order: fade in, slide horizontal in, spare, slide vertical in, zoom in, then the
    // same five for the exit.
    std::array<EffectOption, 10> options = defaultOptions();
    int version = 3;

    static std::array<EffectOption, 10> defaultOptions();
    bool operator==(const BubbleAnimation&) const = default;
};

inline constexpr int kBubbleAnimationVersion = 3;

void writeBubbleAnimation(LineWriter& w, const BubbleAnimation& a);
// False when the text runs out or a line is no number; `a` is then unspecified.
bool readBubbleAnimation(LineReader& r, BubbleAnimation& a);

} // namespace tavlo::project
