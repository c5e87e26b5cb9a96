#pragma once
// The choices one publish run is made with: the creation options, the advanced options of the
// configuration that the movie reads, and the switches of the movie effects. Plain values with the
// defaults of a new project.
#include <cstdint>

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
