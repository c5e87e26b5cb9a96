#pragma once
// "Tavlo.ini": the last-used settings, written when the program ends and read when it starts.
// Private to the program; each item is read only when the file's version is at least the version
// that introduced it, and an item the file lacks keeps its default.
#include "core/app_config.h"
#include "core/geometry.h"
#include "project/project_defaults.h"
#include "project/publish_settings.h"

#include <string>
#include <vector>

namespace tavlo {

inline constexpr int kStateVersion = 866;
inline constexpr int kMaxRecentFiles = 6;

struct CaptureAreaSettings {
    int mode = 0;    // 0 whole monitor, 1 "选定区域", 2 "活动窗口"
    int monitor = 1; // 1-based
    bool pan = false;
    Rect area{100, 100, 740, 580};
};

// The recording options ("录制选项").
struct RecordingOptions {
    int captureRate = 10;       // screen grabs a second
    int pointerRate = 30;       // pointer samples a second
    bool recordPointer = true;  // "录制鼠标"
    bool smoothPointer = false; // "平滑移动"
    bool compressed = false;    // "原始视频使用额外压缩"
    int quality = 80;           // capture quality of blocks, 0 to 100
    int loopMinutes = 0;        // "在此循环中录制:" (with "continuous_recording=")
};

struct WindowPosition {
    std::string name;
    Rect rect;
    bool operator==(const WindowPosition&) const = default;
};

struct AppState {
    Rect recorderWindow{-1, -1, -1, -1}; // -1: let the window system place it
    CaptureAreaSettings capture;
    RecordingOptions recording;
    bool recordSound = false;
    std::vector<std::string> recentFiles; // newest last
    std::string outputName;
    std::string outputFolder;
    std::vector<WindowPosition> windows;
    // The last-used settings for new projects, in the settings block's custom-defaults form.
    project::ProjectDefaults annotationDefaults;
    project::SettingsBlock settings;
};

// Moves `path` to the newest place of the list, dropping the oldest beyond six.
void addRecentFile(AppState& state, const std::string& path);

std::string formatState(const AppState& state, const AppConfig& config);
// Reads a state file over `state` and the keyless options of `config`. False when the file is not
// a state file this program can read (its defaults then stand).
bool parseState(std::string_view bytes, AppState& state, AppConfig& config);

bool readState(const std::string& path, AppState& state, AppConfig& config);
bool writeState(const std::string& path, const AppState& state, const AppConfig& config);

} // namespace tavlo
