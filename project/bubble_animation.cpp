#include "project/bubble_animation.h"

namespace tavlo::project {

std::array<EffectOption, 10> BubbleAnimation::defaultOptions() {
    std::array<EffectOption, 10> o{};
    // A horizontal slide enters and leaves on the left, a vertical one at the bottom.
    o[1].optionA = 1;
    o[6].optionA = 1;
    o[3].optionB = 1;
    o[8].optionB = 1;
    return o;
}

void writeBubbleAnimation(LineWriter& w, const BubbleAnimation& a) {
    w.putInt(a.version);
    if (a.version <= 0) return;
    for (int v : {a.fadeIn, a.slideHorizontalIn, a.entranceDuration, a.slideVerticalIn, a.zoomIn, a.fadeOut,
                  a.slideHorizontalOut, a.exitDuration, a.slideVerticalOut, a.zoomOut})
        w.putInt(v);
    for (const EffectOption& o : a.options) {
        w.putInt(o.version);
        if (o.version <= 0) continue;
        w.putInt(o.reserved);
        w.putInt(o.easing);
        w.putFloat(o.reservedFloat);
        w.putInt(o.optionA);
        w.putInt(o.optionB);
    }
    if (a.version >= 2) {
        w.putInt(a.entranceTransition);
        w.putInt(a.exitTransition);
    }
    if (a.version >= 3) w.putInt(a.fadeInText);
}

bool readBubbleAnimation(LineReader& r, BubbleAnimation& a) {
    if (!r.getInt(a.version)) return false;
    if (a.version <= 0) return true;
    for (int* v : {&a.fadeIn, &a.slideHorizontalIn, &a.entranceDuration, &a.slideVerticalIn, &a.zoomIn,
                   &a.fadeOut, &a.slideHorizontalOut, &a.exitDuration, &a.slideVerticalOut, &a.zoomOut})
        if (!r.getInt(*v)) return false;
    for (EffectOption& o : a.options) {
        if (!r.getInt(o.version)) return false;
        if (o.version <= 0) continue;
        if (!r.getInt(o.reserved) || !r.getInt(o.easing) || !r.getFloat(o.reservedFloat) ||
            !r.getInt(o.optionA) || !r.getInt(o.optionB))
            return false;
    }
    if (a.version >= 2 && (!r.getInt(a.entranceTransition) || !r.getInt(a.exitTransition))) return false;
    if (a.version >= 3 && !r.getInt(a.fadeInText)) return false;
    return true;
}

} // namespace tavlo::project
