#pragma once
// The file set one publish run writes, named from the movie path.
#include <string>

namespace tavlo::movie {

struct OutputFiles {
    std::string movie;      // "%s%s%s.swf"
    std::string mainMovie;  // "%s%s%s_main.swf", written when the chapter list is shown
    std::string fullScreen; // "%s%s%s_fullscreen.swf"
    std::string page;       // "%s%s%s.htm"
    std::string info;       // "%s%s%s.txt"
    std::string scormFolder;
    std::string manifest;
    std::string baseName; // without folder or extension
};

inline OutputFiles outputFilesFor(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0) base.resize(dot);
    OutputFiles f;
    const std::string stem = folder + base;
    f.movie = stem + ".swf";
    f.mainMovie = stem + "_main.swf";
    f.fullScreen = stem + "_fullscreen.swf";
    f.page = stem + ".htm";
    f.info = stem + ".txt";
    f.scormFolder = stem + "_SCORM/";
    f.manifest = f.scormFolder + "imsmanifest.xml";
    f.baseName = base;
    return f;
}

} // namespace tavlo::movie
