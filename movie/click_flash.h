#pragma once
// The click flash: a sprite of widening circles placed where a button was pressed. Built once per
// run and placed again at every press.
#include "movie/stage.h"
#include "project/frame.h"
#include "project/project.h"
#include "swf/clip.h"
#include "swf/shapes.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tavlo::movie {

inline constexpr std::uint16_t kClickFlashDepth = 60002;

struct ClickPoint {
    int x = 0, y = 0;
};
// Where the frame's press happened, in project frame pixels: the pointer's hot spot (its recorded
// position is the picture's corner). None without a recorded position.
std::optional<ClickPoint> clickPosition(const project::Frame& f, const project::PointerShapeTable& table);

// The outline alpha of circle j (1 … size): 240 − j × (200 / size).
int clickFlashAlpha(int j, int size);

class ClickFlash {
public:
    // `size` circles of radius 1 … size pixels in `colour` (0x00RRGGBB); no flash for a size below 1.
    ClickFlash(swf::SwfContext& ctx, int size, std::uint32_t colour, int twipsPerPixel, double scaleX,
               double scaleY);
    bool empty() const { return clip_ == nullptr; }
    int frames() const { return frames_; }
    // The flash at (x, y) in project frame pixels, from `global` on.
    void place(Stage& stage, double x, double y, int global);

private:
    swf::SwfContext& ctx_;
    int twips_;
    double scaleX_, scaleY_;
    int frames_ = 0;
    std::unique_ptr<swf::SwfMovie> body_;
    std::vector<std::unique_ptr<swf::SwfShape>> circles_;
    std::unique_ptr<swf::SwfTransformClip> clip_;
};

} // namespace tavlo::movie
