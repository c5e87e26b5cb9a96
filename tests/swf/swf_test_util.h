#pragma once
// Helpers shared by the SWF tests: files, the outside structural check, parsed movies.
#include "swf/read.h"

#include <string>
#include <vector>

namespace tavlo::test {

std::vector<uint8_t> fileBytes(const std::string& path);
// Runs Debian's yaswfp over the file (tests/e2e/check_swf.py); "" when it passes, else its report.
std::string yaswfpProblems(const std::string& path);
// Parses with our own reader; fails the test on an error.
swf::SwfFile parsedFile(const std::string& path);
// The tags of a kind, in order, including those inside sprites.
template <class T> std::vector<T> tagsOf(const std::vector<swf::Tag>& tags) {
    std::vector<T> out;
    for (const swf::Tag& t : tags) {
        if (const T* v = t.as<T>()) out.push_back(*v);
        if (const auto* s = t.as<swf::DefineSprite>()) {
            auto inner = tagsOf<T>(s->tags);
            out.insert(out.end(), inner.begin(), inner.end());
        }
    }
    return out;
}
std::string sourcePath(const std::string& relative);
// A picture file's pixels as rgb24 bytes, decoded by ffmpeg (empty when it cannot).
std::vector<uint8_t> rgbPixels(const std::string& picture);
// Ruffle's picture of `swf` on a width x height stage `waitMs` after it has loaded, kept as `png`
// and returned as rgb24 bytes; errors of the player fail the test.
std::vector<uint8_t> ruffleShot(const std::string& swf, int width, int height, int waitMs,
                                const std::string& png);
// Output of a shell command (stdout), and its exit status.
int runCommand(const std::string& command, std::string* output = nullptr);

} // namespace tavlo::test
