#include "project/project_defaults.h"

#include <algorithm>

namespace tavlo::project {

LogFont defaultBubbleFont() {
    LogFont f = zeroRecord<LogFont>();
    f.height = -17;
    f.weight = 400;
    f.outPrecision = 3;
    f.clipPrecision = 2;
    f.quality = 1;
    f.pitchAndFamily = 0x22;
    const char face[] = "Microsoft Sans Serif";
    std::copy(face, face + sizeof face, f.faceName);
    return f;
}

std::string faceNameOf(const LogFont& f) {
    const char* end = std::find(f.faceName, f.faceName + sizeof f.faceName, '\0');
    return std::string(f.faceName, end);
}

Rect defaultHotspotRect(int w, int h) {
    return Rect{w / 5 - w / 20, h / 5 - h / 20, w / 5 + w / 20, h / 5 + h / 20};
}

Rect defaultZoomRect(int w, int h) {
    return Rect{w / 5 - w / 20, h / 5 - h / 20, w / 5 + w / 2, h / 5 + h / 2};
}

void ProjectDefaults::setFrameSize(int width, int height) {
    hotspotRect = defaultHotspotRect(width, height);
    zoomRect = defaultZoomRect(width, height);
}

} // namespace tavlo::project
