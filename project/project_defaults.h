#pragma once
// Project-wide defaults for new annotations and the per-style bubble defaults.
#include "core/geometry.h"
#include "project/records.h"

#include <array>
#include <cstdint>

namespace tavlo::project {

inline constexpr std::uint32_t rgb(int r, int g, int b) {
    return std::uint32_t(r & 0xFF) | (std::uint32_t(g & 0xFF) << 8) | (std::uint32_t(b & 0xFF) << 16);
}

struct ProjectDefaults {
    LogFont bubbleFont = defaultBubbleFont();
    std::uint32_t bubbleTextColour = rgb(0, 0, 0);
    std::uint32_t bubbleBackColour = rgb(255, 255, 194);
    std::uint32_t hotspotColour = rgb(0, 0, 0);
    std::uint32_t furtherColour = rgb(255, 255, 255);
    std::uint32_t bubbleShadowColour = rgb(0, 0, 0);
    int bubbleUnderline = 0;
    int bubbleShadow = 0;
    std::array<int, 3> pointerFlags{0, 0, 0};
    int hotspotThickness = 5;
    int hotspotTransparency = 80;
    Rect hotspotRect;
    Rect zoomRect;
    int bubbleStyle = kNoStyle;

    // The default hotspot and zoom rectangles for a frame size, set when a recording starts.
    void setFrameSize(int width, int height);
    bool operator==(const ProjectDefaults&) const = default;
};

Rect defaultHotspotRect(int width, int height);
Rect defaultZoomRect(int width, int height);

struct BubbleStyle {
    bool customised = false;
    LogFont font = defaultBubbleFont();
    std::uint32_t textColour = rgb(0, 0, 0);
    std::uint32_t shadowColour = rgb(0, 0, 0);
    int underline = 0;
    int shadow = 0;
    std::uint32_t bubbleColour = rgb(255, 255, 194);
    int navigation = 0;
    int animation = 0;
    bool operator==(const BubbleStyle&) const = default;
};

} // namespace tavlo::project
