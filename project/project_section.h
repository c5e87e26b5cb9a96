#pragma once
// The project section of a project file: the fixed head, every frame record with what follows
// it, and the trailer with the settings block.
#include "project/project.h"

#include <functional>
#include <string>
#include <string_view>

namespace tavlo::project {

// Record size of a frame in a file of the given version.
int frameRecordSizeFor(int version);

struct SectionWriteOptions {
    int version = kCurrentVersion; // older versions only for tests of the upgrade path
    std::string projectFolder;     // written as the project folder; sources are made relative to it
};

std::string writeProjectSection(const Project& p, const SectionWriteOptions& o = {});

enum class SectionStatus {
    Ok,
    Later,   // a version later than this program knows
    Damaged, // an unusable version or record size: open with default frames
    Bad,     // a length, count or index out of range, or the text cut short
};

struct SectionReadOptions {
    std::string projectsFolder; // output path fallback when the output folder has gone
    // Length of a sound file in 1/100 s (for files up to 674); null: lengths are kept.
    std::function<int(const std::string& path)> soundLengthOf;
};

// Reads into `p`, which holds the frame size from the header chunk already. On any status other
// than Ok, `p` holds a partial result that the caller drops. `version` gets the file's version.
SectionStatus readProjectSection(std::string_view bytes, Project& p, int& version,
                                 const SectionReadOptions& o = {});

// The file version stored at the start of a section, or -1 when fewer than 4 bytes are there.
int sectionVersion(std::string_view bytes);

} // namespace tavlo::project
