#pragma once
// The program's own pictures, drawn by code at the size each one is asked for: the start button
// in its plain and highlighted forms, in 64-, 128- and 256-pixel versions, round (style 0) or
// square (style offset 8), and the default information picture.
#include "movie/picture.h"

#include <optional>

namespace tavlo::movie {

inline constexpr int kStartButton = 436;            // 64 pixels; +2 for 128, +4 for 256
inline constexpr int kStartButtonHighlighted = 437; // the same, highlighted
inline constexpr int kSquareStyleOffset = 8;
inline constexpr int kDefaultInformationPicture = 900; // "IDR_IMAGE_DEFAULT"

// The resource id of the start button picture for a button of `d` pixels.
int startButtonResource(bool highlighted, int d, bool square);

// Nothing for an unknown id.
std::optional<Picture> resourcePicture(int id);

} // namespace tavlo::movie
