#pragma once
// One recording's capture: on every timer tick it samples the pointer, and on every divider-th
// tick it grabs the capture area, finds what changed, makes frames in the project and queues the
// pixels to the frame-store writer.
#include "capture/capture_queue.h"
#include "capture/change_detection.h"
#include "capture/clock.h"
#include "capture/pan_motion.h"
#include "capture/pointer_sampler.h"
#include "capture/schedule.h"
#include "platform/input_events.h"
#include "platform/pointer_source.h"
#include "platform/screen_source.h"
#include "project/project.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavlo::capture {

struct CaptureSettings {
    int mode = 0;               // 0 a whole monitor, 1 the area inside the frame window, 2 the active window
    int monitor = 1;            // 1-based, mode 0
    Rect frameWindow;           // modes 1 and 2: the capture frame window; the area lies 3 pixels inside it
    bool pan = false;           // mode 1 only
    int captureRate = 10;       // frames a second
    int pointerRate = 30;       // pointer samples a second
    bool recordPointer = true;  // "录制鼠标": a pointer thread samples between ticks
    bool smoothPointer = false; // "平滑移动"
    bool compressed = false;    // "原始视频使用额外压缩"
    bool continuous = false;    // "连续录制"
    int loopMinutes = 0;        // "在此循环中录制:"
    bool bubbleNavigation = false;
    std::int64_t freeDiskBytes = -1; // measured at the start; -1 = unknown, no check
};

// Why the capture asks the recorder to stop (the recorder's command codes).
enum class StopRequest { None = 0, FullDisk = 16, NoDesktop = 514, NoMemory = 1030 };

inline constexpr std::int64_t kKeyImageBytes = 2'000'000;
inline constexpr std::int64_t kDiskReserveBytes = 6'553'600;
// Without shared memory a grab goes through the X socket: fine for a small area, far too slow
// for a large one, which would record at a few frames a second without saying so.
inline constexpr std::int64_t kMaxPixelsWithoutSharedMemory = 800 * 600;

class CaptureSession {
public:
    CaptureSession(project::Project& project, CaptureQueue& queue, platform::ScreenSource& screen,
                   platform::PointerSource* pointer, platform::InputEvents* input, Clock& clock,
                   CaptureSettings settings);
    ~CaptureSession();

    // The first tick's work: the area, the buffers, the capture files. False with a message for
    // the user when the recording cannot start.
    bool begin(std::string& error);

    // One timer tick; `forced` makes a full-frame capture (the recorder's final capture).
    void tick(bool forced = false);
    // The next timer delay in ms, keeping the ticks on schedule.
    int nextDelayMs(std::int64_t tickStartedAtMs);

    void setPaused(bool paused);
    bool paused() const { return paused_; }
    // The next tick makes a frame even without change (the snapshot key).
    void requestSnapshot() { snapshot_ = true; }

    StopRequest stopRequest() const { return stop_; }
    const Rect& area() const { return area_; }
    TimerSchedule schedule() const { return schedule_; }
    PointerSampler* sampler() { return sampler_.get(); }
    bool recordsPointerOnThread() const { return settings_.recordPointer; }
    // Optional: also tell the recorder about the frame window hiding once pan moved the area.
    std::function<void()> onAreaMoved;

private:
    void grabAndMakeFrame(bool forced);
    project::FrameNode& newFrame();
    void queueRect(MessageType type, const ChangedRect& r, const std::vector<std::uint32_t>& picture);
    // Samples become frames of their own, each with the time since the last one.
    void pointerFrames(const std::vector<PointerSample>& samples);
    // A tick without a screen frame: the samples' frames, then the time up to `now`.
    void pointerStep(std::int64_t now);
    void pointerRecord(const PointerSample& s, int hundredths);
    void addTime(int hundredths, bool asPointerRecord);
    void queueTime(MessageType type, int hundredths);
    const project::PointerShape* shapeFor(std::uint32_t handle);
    void storePanBackground(project::FrameNode& frame);
    void checkDiskAndThrottle();

    project::Project& project_;
    CaptureQueue& queue_;
    platform::ScreenSource& screen_;
    platform::PointerSource* pointer_;
    platform::InputEvents* input_;
    Clock& clock_;
    CaptureSettings settings_;

    Rect area_;
    Rect monitor_;
    int w_ = 0, h_ = 0;
    std::vector<std::uint32_t> last_, next_;
    TimerSchedule schedule_{100, 1};
    long long ticks_ = 0;
    bool firstGrab_ = true;
    bool snapshot_ = false;
    bool paused_ = false;
    StopRequest stop_ = StopRequest::None;
    std::int64_t lastKeyImageBytes_ = 0;
    std::int64_t accountedMs_ = -1; // recording time already given to frames
    std::int64_t segmentTime_ = 0;  // 1/100 s recorded in the current continuous segment
    std::unique_ptr<PointerSampler> sampler_;
    PanMotion pan_;
    Throttle throttle_{1, 1};
    std::int64_t lastPointerX_ = 0, lastPointerY_ = 0;
    std::uint32_t lastShownHandle_ = 0;
    bool areaMoved_ = false;
};

} // namespace tavlo::capture
