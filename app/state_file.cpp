#include "app/state_file.h"

#include "core/file_util.h"
#include "core/line_format.h"
#include "project/section_io.h"
#include "project/settings_block.h"

#include <algorithm>

namespace tavlo {

namespace {

void putRect(LineWriter& w, const Rect& r) {
    w.putInt(r.left);
    w.putInt(r.top);
    w.putInt(r.right);
    w.putInt(r.bottom);
}

void getRect(VersionedReader& r, int since, Rect& rect) {
    Rect v = rect;
    r.item(since, v.left);
    r.item(since, v.top);
    r.item(since, v.right);
    r.item(since, v.bottom);
    if (!r.reader().failed()) rect = v;
}

// A "%s\n" line cannot hold a line break; such a path is not worth a corrupt file.
bool storable(const std::string& s) {
    return s.find('\n') == std::string::npos;
}

// Counts in a damaged file are bounded by what could be there.
constexpr int kMaxWindows = 64;

} // namespace

void addRecentFile(AppState& state, const std::string& path) {
    auto& list = state.recentFiles;
    list.erase(std::remove(list.begin(), list.end(), path), list.end());
    list.push_back(path);
    while (list.size() > static_cast<std::size_t>(kMaxRecentFiles)) list.erase(list.begin());
}

std::string formatState(const AppState& s, const AppConfig& c) {
    project::SectionWriter section;
    LineWriter& w = section.lines();
    w.putInt(kStateVersion);
    putRect(w, s.recorderWindow);
    w.putInt(s.capture.mode);
    w.putInt(s.capture.monitor);
    w.putInt(s.capture.pan);
    putRect(w, s.capture.area);
    const RecordingOptions& ro = s.recording;
    for (int v : {ro.captureRate, ro.pointerRate, int(ro.recordPointer), int(ro.smoothPointer),
                  int(ro.compressed), ro.quality, ro.loopMinutes})
        w.putInt(v);
    w.putInt(s.recordSound);
    w.putFloat(c.swfDelayScale);
    w.putFloat(c.playbackSpeed);
    w.putInt(c.controlDemo);
    w.putInt(c.hidePanRectangle);
    w.putInt(c.zoomBeforeFrame);
    w.putInt(c.showAllTime);
    w.putInt(c.largeControls);
    w.putInt(c.useSwfContainer);

    std::vector<std::string> recent;
    for (const auto& p : s.recentFiles)
        if (storable(p)) recent.push_back(p);
    if (recent.size() > static_cast<std::size_t>(kMaxRecentFiles))
        recent.erase(recent.begin(), recent.end() - kMaxRecentFiles);
    w.putInt(static_cast<long long>(recent.size()));
    for (const auto& p : recent) w.putString(p);

    w.putString(storable(s.outputName) ? s.outputName : "");
    w.putString(storable(s.outputFolder) ? s.outputFolder : "");

    std::vector<const WindowPosition*> windows;
    for (const auto& win : s.windows)
        if (storable(win.name) && windows.size() < kMaxWindows) windows.push_back(&win);
    w.putInt(static_cast<long long>(windows.size()));
    for (const auto* win : windows) {
        w.putString(win->name);
        putRect(w, win->rect);
    }
    project::writeSettingsBlock(section, s.annotationDefaults, s.settings,
                                project::SettingsForm::CustomDefaults);
    return section.take();
}

bool parseState(std::string_view bytes, AppState& s, AppConfig& c) {
    project::SectionReader section(bytes);
    LineReader& lines = section.lines();
    int version = 0;
    if (!lines.getInt(version) || version < 100 || version > kStateVersion) return false;
    VersionedReader r(lines, version);
    getRect(r, 100, s.recorderWindow);
    r.item(100, s.capture.mode);
    r.item(100, s.capture.monitor);
    r.item(100, s.capture.pan);
    getRect(r, 100, s.capture.area);
    RecordingOptions& ro = s.recording;
    r.item(100, ro.captureRate);
    r.item(100, ro.pointerRate);
    r.item(100, ro.recordPointer);
    r.item(100, ro.smoothPointer);
    r.item(100, ro.compressed);
    r.item(100, ro.quality);
    r.item(100, ro.loopMinutes);
    r.item(100, s.recordSound);
    r.item(100, c.swfDelayScale);
    r.item(100, c.playbackSpeed);
    r.item(100, c.controlDemo);
    r.item(100, c.hidePanRectangle);
    r.item(100, c.zoomBeforeFrame);
    r.item(748, c.showAllTime);
    r.item(811, c.largeControls);
    r.item(831, c.useSwfContainer);

    int count = 0;
    r.item(100, count);
    if (r.has(100)) {
        std::vector<std::string> recent;
        for (int i = 0; i < std::clamp(count, 0, kMaxRecentFiles); ++i) {
            std::string p;
            if (lines.getString(p)) recent.push_back(p);
        }
        if (!lines.failed()) s.recentFiles = recent;
    }
    r.item(100, s.outputName);
    r.item(100, s.outputFolder);

    count = 0;
    r.item(100, count);
    if (r.has(100) && count >= 0 && count <= kMaxWindows) {
        std::vector<WindowPosition> windows;
        for (int i = 0; i < count && !lines.failed(); ++i) {
            WindowPosition win;
            lines.getString(win.name);
            getRect(r, 100, win.rect);
            windows.push_back(win);
        }
        if (!lines.failed()) s.windows = windows;
    }
    // The block keeps its defaults when it is missing or damaged.
    if (!lines.failed())
        project::readSettingsBlock(section, version, s.annotationDefaults, s.settings,
                                   project::SettingsForm::CustomDefaults);
    // Keep values that a damaged file could make harmful within their ranges.
    s.capture.mode = std::clamp(s.capture.mode, 0, 2);
    if (s.capture.monitor < 1) s.capture.monitor = 1;
    ro.captureRate = std::clamp(ro.captureRate, 1, 1000);
    ro.pointerRate = std::clamp(ro.pointerRate, 1, 1000);
    ro.quality = std::clamp(ro.quality, 0, 100);
    ro.loopMinutes = std::clamp(ro.loopMinutes, 0, 24 * 60);
    if (!(c.playbackSpeed > 0.0 && c.playbackSpeed < 100.0)) c.playbackSpeed = 1.0;
    if (!(c.swfDelayScale > 0.0 && c.swfDelayScale < 100.0)) c.swfDelayScale = 1.0;
    return true;
}

bool readState(const std::string& path, AppState& state, AppConfig& config) {
    auto bytes = readWholeFile(path);
    return bytes && parseState(*bytes, state, config);
}

bool writeState(const std::string& path, const AppState& state, const AppConfig& config) {
    return writeFileReplacing(path, formatState(state, config));
}

} // namespace tavlo
