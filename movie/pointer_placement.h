#pragma once
// Where and whether the pointer layers show in a frame: the choice of shape, the visibility rules
// (hidden pointers, hotspots, inverting shapes, the system-hidden pointer shown as its halo), the
// placement at the recorded position, the motion towards the next recorded position over frames
// of up to 500 ms, and the removal at the frame's end.
#include "movie/pointer_layers.h"
#include "movie/stage.h"
#include "project/frame.h"

#include <vector>

namespace tavlo::movie {

struct PointerShowing {
    bool picture = false, shadow = false, halo = false;
    bool any() const { return picture || shadow || halo; }
};

struct PointerRules {
    bool showPointer = true;        // "显示鼠标"
    bool shadow = true;             // "添加鼠标阴影"
    bool halo = false;              // "加亮鼠标"
    bool showHiddenActivity = false; // "显示隐藏活动"
};

// Which layers a frame shows; `set` is the frame's shape (null when the table has none for it).
PointerShowing pointerShowing(const project::Frame& f, const PointerLayerSet* set, const PointerRules& rules);

// One step of the motion: at `step` (1 … n − 1 SWF frames after the frame's first) the pointer is
// at (x, y) in project frame pixels.
struct PointerStep {
    int step = 0;
    double x = 0, y = 0;
};
// The steps at which the shown position (in output pixels, truncated) changes. Nothing unless the
// frame spans n >= 2 SWF frames of `msPerFrame` within 500 ms and the end position differs.
std::vector<PointerStep> pointerMotion(double x, double y, double endX, double endY, int n, double msPerFrame,
                                       double scaleX, double scaleY);

class PointerPlacement {
public:
    PointerPlacement(PointerLayers& layers, const PointerRules& rules, int twipsPerPixel, double scaleX,
                     double scaleY, double msPerFrame);

    // Places the frame's layers at its first SWF frame `first`.
    void emitFrame(Stage& stage, const project::Frame& f, int first);
    // The frame ends before `end`; `timed` = it lasts exactly its recorded time. Moves the layers,
    // then removes them at `end`.
    void finishFrame(Stage& stage, const project::Frame& f, int first, int end, bool timed);

private:
    void placeAt(Stage& stage, double x, double y, int global);
    void removeAt(Stage& stage, int global);

    PointerLayers& layers_;
    PointerRules rules_;
    int twips_;
    double scaleX_, scaleY_, msPerFrame_;
    PointerLayerSet* set_ = nullptr; // the layers shown by the current frame
    PointerShowing showing_;
};

} // namespace tavlo::movie
