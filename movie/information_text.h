#pragma once
// The information text written beside the movie: what was built, when, for which player, its size
// and playing time, then the transcript of the talk bubbles.
#include <string>
#include <vector>

namespace tavlo::movie {

struct InformationText {
    std::string moviePath;
    int buildNumber = 1;
    bool cancelled = false;
    std::string createdAt; // asctime form without its newline
    bool flash4Compatible = false;
    long long sizeKb = 0;
    int frameRate = 20;
    int playbackSeconds = 0;             // of this build
    std::vector<std::string> transcript; // plain bubble texts in frame order
};

// The text with CR LF line ends.
std::string formatInformationText(const InformationText& info);

} // namespace tavlo::movie
