#include "movie/project_options.h"

#include <algorithm>

namespace tavlo::movie {

namespace {

std::uint32_t colour(int v) { return std::uint32_t(v) & 0xFFFFFF; }

} // namespace

MovieOptions movieOptionsOf(const project::Project& project) {
    const project::PublishSettings& s = project.settings;
    const project::SettingsBlock& b = s.block;
    MovieOptions o;
    o.showPointer = b.mouseEffects1[0] != 0;
    o.pointerShadow = b.mouseEffects1[1] != 0;
    o.pointerHalo = b.mouseEffect2 != 0;
    o.showHiddenActivity = b.mouseEffect3 != 0;
    o.fadeInAtStart = b.flashEffects[0] != 0;
    o.zoomInAtStart = b.flashEffects[1] != 0;
    o.fadeOutAtEnd = b.flashEffects[2] != 0;
    o.zoomOutAtEnd = b.flashEffects[3] != 0;
    o.startButton = b.flashEffects[4] != 0;
    o.chapterList = b.flashEffects[5] != 0;
    o.haloColour = colour(b.flashEffects[6]);
    o.clickFlash = b.flashEffects[7] != 0;
    o.background = colour(b.mixed[0]);
    o.informationBox = b.mixed[2] != 0;
    // A flash of no size shows nothing, a huge one is a damaged value.
    o.clickFlashSize = std::clamp(b.mixed[3], 1, 100);
    o.compress = b.flashOutput != 0;
    o.frameRate = std::clamp(s.flashEffects1, 0, 120);
    o.buttonColour = s.controlBarColours[2] & 0xFFFFFF;
    const int preset = b.mixed[4];
    if (preset == 1 || preset == 2) {
        o = withPreset(o, preset);
    } else {
        o.maximumColours = std::clamp(s.flashEffects3[0], 0, 32768);
        // Outside 0..100 the value is not a quality anybody chose.
        const int q = s.flashEffects3[1];
        o.jpegQuality = q >= 0 && q <= 100 ? q : 90;
    }
    return o;
}

void storeMovieOptions(const MovieOptions& o, project::Project& project) {
    project::PublishSettings& s = project.settings;
    project::SettingsBlock& b = s.block;
    b.mouseEffects1[0] = o.showPointer;
    b.mouseEffects1[1] = o.pointerShadow;
    b.mouseEffect2 = o.pointerHalo;
    b.mouseEffect3 = o.showHiddenActivity;
    b.flashEffects[0] = o.fadeInAtStart;
    b.flashEffects[1] = o.zoomInAtStart;
    b.flashEffects[2] = o.fadeOutAtEnd;
    b.flashEffects[3] = o.zoomOutAtEnd;
    b.flashEffects[4] = o.startButton;
    b.flashEffects[5] = o.chapterList;
    b.flashEffects[6] = int(o.haloColour & 0xFFFFFF);
    b.flashEffects[7] = o.clickFlash;
    b.mixed[0] = int(o.background & 0xFFFFFF);
    b.mixed[2] = o.informationBox;
    b.mixed[3] = o.clickFlashSize;
    b.flashOutput = o.compress;
    s.flashEffects1 = o.frameRate;
    s.controlBarColours[2] = o.buttonColour & 0xFFFFFF;
    // The presets are kept when the values are theirs; anything else is a custom choice.
    if (o.jpegQuality == 50 && o.maximumColours == 8192) {
        b.mixed[4] = 1;
    } else if (o.jpegQuality == 90 && o.maximumColours == 0) {
        b.mixed[4] = 2;
    } else {
        b.mixed[4] = 0;
        s.flashEffects3[0] = o.maximumColours;
        s.flashEffects3[1] = o.jpegQuality;
    }
}

} // namespace tavlo::movie
