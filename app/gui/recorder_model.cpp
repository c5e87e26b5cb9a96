#include "app/gui/recorder_model.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tavlo::gui {

RecorderModel::RecorderModel(AppState& state, std::vector<Rect> monitors, Rect desktop)
    : state_(state), monitors_(std::move(monitors)), desktop_(desktop) {
    if (monitors_.empty()) monitors_.push_back(desktop_);
    state_.capture.mode = std::clamp(state_.capture.mode, 0, 2);
    state_.capture.monitor = std::clamp(state_.capture.monitor, 1, int(monitors_.size()));
    state_.capture.area = clampCaptureFrame(state_.capture.area, desktop_);
}

void RecorderModel::applyCommandLine(const CommandLine& cl) {
    if (cl.area) {
        state_.capture.mode = 1;
        state_.capture.area = clampCaptureFrame(*cl.area, desktop_);
    }
    // In command-line mode the pan box is on only with /p.
    if (cl.commandLineMode) state_.capture.pan = cl.pan;
}

void RecorderModel::setMode(int mode) {
    state_.capture.mode = std::clamp(mode, 0, 2);
    if (state_.capture.mode == 1) state_.capture.area = clampCaptureFrame(state_.capture.area, desktop_);
}

void RecorderModel::chooseMonitor(int monitor) {
    state_.capture.monitor = std::clamp(monitor, 1, int(monitors_.size()));
    state_.capture.mode = 0;
}

const Rect& RecorderModel::monitorRect() const {
    return monitors_[std::size_t(state_.capture.monitor - 1)];
}

void RecorderModel::moveCaptureFrame(const Rect& r) {
    state_.capture.area = clampCaptureFrame(r, desktop_);
}

Rect RecorderModel::clampCaptureFrame(Rect r, const Rect& d) {
    if (r.right - r.left < 32) r.right = r.left + 120;
    if (r.bottom - r.top < 32) r.bottom = r.top + 120;
    const int w = std::min(r.width(), d.width()), h = std::min(r.height(), d.height());
    const int left = std::clamp(r.left, d.left, d.right - w), top = std::clamp(r.top, d.top, d.bottom - h);
    return Rect{left, top, left + w, top + h};
}

RecorderModel::OpenKind RecorderModel::openKind(const std::string& path, bool recoveryMode) {
    if (recoveryMode) return OpenKind::Recover;
    std::string end = path.size() >= 5 ? path.substr(path.size() - 5) : path;
    for (char& c : end) c = char(std::tolower(static_cast<unsigned char>(c)));
    const bool tavlo = end == "tavlo";
    const bool tmp = end.size() >= 3 && end.compare(end.size() - 3, 3, "tmp") == 0;
    return tavlo || tmp ? OpenKind::Load : OpenKind::ImportVideo;
}

std::string RecorderModel::title() const {
    char buf[128];
    if (state_.capture.mode == 0) {
        const Rect& m = monitorRect();
        std::snprintf(buf, sizeof buf, "Tavlo Studio %dx%d", m.width(), m.height());
    } else {
        std::snprintf(buf, sizeof buf, kRecorderTitleFormat, 8, 60);
    }
    return buf;
}

std::vector<std::string> RecorderModel::recentMenuTexts() const {
    std::vector<std::string> out;
    const auto& list = state_.recentFiles;
    int number = int(list.size());
    for (auto it = list.rbegin(); it != list.rend(); ++it, --number) {
        std::string name = *it;
        if (auto slash = name.find_last_of('/'); slash != std::string::npos) name = name.substr(slash + 1);
        if (name.size() > 6 && name.compare(name.size() - 6, 6, ".tavlo") == 0) name.resize(name.size() - 6);
        out.push_back("&" + std::to_string(number) + " " + name + ".tavlo");
    }
    return out;
}

std::string RecorderModel::recentPath(int entry) const {
    const auto& list = state_.recentFiles;
    if (entry < 0 || entry >= int(list.size())) return "";
    return list[list.size() - 1 - std::size_t(entry)];
}

} // namespace tavlo::gui
