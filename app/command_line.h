#pragma once
// The classic switches of the program: "-recover", "/r:", "/s:", "/p", "/h", "/c", "/v" and a
// project path, parsed once into a value the rest of the program reads.
#include "core/geometry.h"

#include <optional>
#include <string>
#include <vector>

namespace tavlo {

struct CommandLine {
    bool recover = false;            // "-recover": recovery mode, other arguments ignored
    bool commandLineMode = false;    // any of /r: /s: /p /h /c
    std::string recordPath;          // "/r:": save the recording straight into this file
    std::optional<Rect> area;        // "/s:top,left,bottom,right": capture mode "选定区域"
    bool pan = false;                // "/p"
    bool hidden = false;             // "/h": no tray icons, no recorder window while recording
    bool createAfterSave = false;    // "/c": open the saved recording and create its movie
    bool verifyOutput = false;       // "/v": test-open the movie file before building
    std::string projectPath;         // a ".tavlo" path to open at start-up
    std::string projectFolder;       // its folder (the current folder when the path has none)
    std::vector<std::string> errors; // user-facing texts for arguments that cannot be used
};

CommandLine parseCommandLine(const std::vector<std::string>& args);

} // namespace tavlo
