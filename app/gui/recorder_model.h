#pragma once
// What the recorder window shows and decides, without widgets, so tests can drive it: the capture
// mode and monitor, pan, the capture frame's place, the titles and the recent-file menu.
#include "app/command_line.h"
#include "app/state_file.h"
#include "core/geometry.h"

#include <string>
#include <vector>

namespace tavlo::gui {

inline constexpr const char* kRecorderTitleFormat = "Tavlo Studio v%d.%2.2d - F1 help";
inline constexpr const char* kEditLabel = "编辑演示";
inline constexpr const char* kRecoverLabel = "Recover Demo";

class RecorderModel {
public:
    RecorderModel(AppState& state, std::vector<Rect> monitors, Rect desktop);

    // The command line's /s: area and /p pan, over what the state file had.
    void applyCommandLine(const CommandLine& cl);

    int mode() const { return state_.capture.mode; }
    void setMode(int mode);
    int monitor() const { return state_.capture.monitor; }
    void chooseMonitor(int monitor); // switches to mode 0
    bool pan() const { return state_.capture.pan && state_.capture.mode == 1; }
    void setPan(bool on) { state_.capture.pan = on; }
    bool panAvailable() const { return state_.capture.mode == 1; }
    bool monitorListShown() const { return state_.capture.mode == 0 && monitors_.size() > 1; }
    bool captureFrameShown() const { return state_.capture.mode != 0; }
    int monitorCount() const { return int(monitors_.size()); }
    const Rect& monitorRect() const;

    // The capture frame window's rectangle, kept on the desktop.
    const Rect& captureFrame() const { return state_.capture.area; }
    void moveCaptureFrame(const Rect& r);
    // A frame whose right or bottom edge comes within 32 pixels of its left or top edge is widened
    // to 120 pixels; then it is moved inside the desktop.
    static Rect clampCaptureFrame(Rect r, const Rect& desktop);

    // What opening a chosen file means: recovery mode rebuilds it; a name ending in neither
    // "tavlo" nor "tmp" (any case) is a video to import; anything else is a project to load.
    enum class OpenKind { Load, Recover, ImportVideo };
    static OpenKind openKind(const std::string& path, bool recoveryMode);

    std::string title() const;
    static std::string editButtonLabel(bool shiftHeld) { return shiftHeld ? kRecoverLabel : kEditLabel; }

    // "&%d %s.tavlo", newest first, numbered down from the newest.
    std::vector<std::string> recentMenuTexts() const;
    // The path behind a recent-menu entry (0 = the first entry, the newest).
    std::string recentPath(int entry) const;
    void opened(const std::string& path) { addRecentFile(state_, path); }

private:
    AppState& state_;
    std::vector<Rect> monitors_;
    Rect desktop_;
};

} // namespace tavlo::gui
