#include "movie/information_text.h"

#include <cstdio>

namespace tavlo::movie {

namespace {

std::string format(const char* pattern, long long value) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

} // namespace

std::string formatInformationText(const InformationText& info) {
    std::string out;
    auto line = [&](const std::string& s) { out += s + "\r\n"; };
    line(info.moviePath);
    line(format(info.cancelled ? "Build %lld terminated by user" : "Build %lld successfully completed",
                info.buildNumber));
    line("创建于: " + info.createdAt);
    line(std::string("Flash player required: ") + (info.flash4Compatible ? "v4.0" : "v6.0") + " or above");
    line(format("大小: %lld KB", info.sizeKb));
    line(format("Total frames in main movie: %lld", (long long)info.frameRate * info.playbackSeconds));
    line(format("Playback frame rate: %lld", info.frameRate));
    line(format("Approximate playback time: %lld seconds", info.playbackSeconds));
    for (std::size_t i = 0; i < info.transcript.size(); ++i) {
        if (i == 0) out += "\r\nAnnotated text transcript:\r\n\r\n";
        std::string text = info.transcript[i];
        if (text.size() > 4096) { // at most 4096 bytes, never half a character
            std::size_t cut = 4096;
            while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
            text.resize(cut);
        }
        line(text);
    }
    return out;
}

} // namespace tavlo::movie
