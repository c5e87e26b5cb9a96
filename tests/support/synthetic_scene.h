#pragma once
// A scripted, deterministic desktop for capture tests: fills, noise, a scrolling band, a moving
// pointer that changes shape, clicks and keys. It keeps the true picture and pointer of every
// grab so a test can compare what was recorded with what was on the screen.
#include "capture/clock.h"
#include "platform/input_events.h"
#include "platform/pointer_source.h"
#include "platform/screen_source.h"

#include <cstdint>
#include <vector>

namespace tavlo::test {

class SyntheticScene : public platform::ScreenSource,
                       public platform::PointerSource,
                       public platform::InputEvents,
                       public capture::Clock {
public:
    SyntheticScene(int width, int height, std::uint32_t seed = 1);

    // Moves the scene's clock on; the picture, pointer and input follow the script.
    void advance(int ms);
    std::int64_t time() const { return now_; }

    // The script, in the scene's time (ms). Each adds to what the screen shows from then on.
    void fillAt(std::int64_t t, Rect r, std::uint32_t colour);
    void noiseAt(std::int64_t t, Rect r);          // random pixels: takes the JPEG path of the encoders
    void scrollAt(std::int64_t t, Rect r, int dy); // moves the band's content up by dy rows
    void pointerPath(std::int64_t t0, int x0, int y0, std::int64_t t1, int x1, int y1);
    void shapeAt(std::int64_t t, std::uint32_t handle);
    void clickAt(std::int64_t t);
    void keyAt(std::int64_t t);

    struct Grab {
        std::int64_t time;
        Rect area;
        std::vector<std::uint32_t> pixels;
        platform::PointerState pointer;
    };
    const std::vector<Grab>& grabs() const { return grabs_; }
    const std::vector<std::uint32_t>& picture() const { return screen_; }

    // ScreenSource
    Rect desktop() const override { return Rect{0, 0, w_, h_}; }
    std::vector<Rect> monitors() const override { return {desktop()}; }
    std::optional<Rect> activeWindow() const override { return activeWindow_; }
    bool grab(const Rect& area, std::uint32_t* out) override;
    bool sharedMemory() const override { return true; }
    std::optional<Rect> activeWindow_;

    // PointerSource
    bool read(platform::PointerState& state) override;
    bool shape(std::uint32_t handle, platform::PointerShape& out) override;

    // InputEvents
    bool start() override { return true; }
    void stop() override {}
    bool takeClickDown() override;
    bool takeClickUp() override;
    bool takeKeyDown() override;
    bool takeKeyUp() override;

    // Clock
    std::int64_t nowMs() override { return now_; }

private:
    struct Step {
        std::int64_t t;
        enum Kind { Fill, Noise, Scroll, Shape, Click, Key } kind;
        Rect r;
        std::uint32_t value;
        int dy;
    };
    struct Path {
        std::int64_t t0, t1;
        int x0, y0, x1, y1;
    };
    void apply(const Step& s);
    platform::PointerState pointerAt(std::int64_t t) const;

    int w_, h_;
    std::uint32_t rng_;
    std::int64_t now_ = 0;
    std::vector<std::uint32_t> screen_;
    std::vector<Step> steps_;
    std::size_t nextStep_ = 0;
    std::vector<Path> paths_;
    std::uint32_t handle_ = 1;
    bool clickDown_ = false, clickUp_ = false, keyDown_ = false, keyUp_ = false;
    std::vector<Grab> grabs_;
};

} // namespace tavlo::test
