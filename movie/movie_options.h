#pragma once
// The choices one publish run is made with: the creation options, the advanced options of the
// configuration that the movie reads, and the switches of the movie effects. Plain values with the
// defaults of a new project.
#include <cstdint>
#include <string>

namespace tavlo::movie {

struct MovieOptions {
    // Image quality ("最大颜色数量", "JPEG 图片质量"): 0 colours is true colour.
    int maximumColours = 0;
    int jpegQuality = 90;
    // The movie is written compressed (CWS, player version 6); off writes a version 4 movie.
    bool compress = true;
    // Frames per second of the movie; 0 takes the default of 20.
    int frameRate = 0;
    double playbackSpeed = 1.0;   // "回放速度:"
    int granularity = 20;         // "granularity="
    int noiseFilter = 0;          // "noise_filter="
    std::uint32_t background = 0; // movie background colour, 0x00RRGGBB
    // The chapter list beside the movie; when shown the movie file becomes a loader.
    bool chapterList = false;
    // Output size W' x H' when the movie is resized; 0 keeps the content size.
    int outputWidth = 0, outputHeight = 0;

    // Flash effects: opening and closing transitions.
    bool fadeInAtStart = false;  // "开始时淡入影片"
    bool zoomInAtStart = false;  // "开始时放大影片"
    bool fadeOutAtEnd = false;   // "结束时淡出影片"
    bool zoomOutAtEnd = false;   // "结束时缩小影片"
    bool startButton = false;    // the movie waits behind a play button
    // The information panel: a picture shown over the first frames, a click opens the link.
    bool informationBox = false;
    std::string informationPicture, informationLink, informationTarget;

    // Mouse effects.
    bool showPointer = true;          // "显示鼠标"
    bool pointerHalo = false;         // "加亮鼠标"
    std::uint32_t haloColour = 0xFFFF00; // its "颜色", 0x00RRGGBB
    bool pointerShadow = true;        // "添加鼠标阴影"
    bool showHiddenActivity = false;  // "显示隐藏活动": a system-hidden pointer shows as its halo
    bool clickFlash = true;           // the click flash at a button press
    int clickFlashSize = 12;          // its radius in pixels (frames of the flash sprite)
    std::uint32_t clickFlashColour = 0xFF0000;
    // Control-bar button colour, which tints the start button.
    std::uint32_t buttonColour = 0xC2FFFF;
    // The colour that frame effects fade from and to and that the sweeping highlight shows, 0x00RRGGBB.
    std::uint32_t effectColour = 0x000000;
};

// The movie palette quality presets of the creation options.
inline MovieOptions withPreset(MovieOptions o, int preset) {
    if (preset == 1) {
        o.jpegQuality = 50;
        o.maximumColours = 8192;
    } else if (preset == 2) {
        o.jpegQuality = 90;
        o.maximumColours = 0;
    }
    return o;
}

} // namespace tavlo::movie
