#pragma once
// The tags of a whole movie in file order, and the writer of the SWF file.
#include "swf/context.h"
#include "swf/stream.h"
#include "swf/types.h"

#include <string>
#include <vector>

namespace tavlo::swf {

enum class SaveResult {
    Written,   // complete
    Cancelled, // cut at the tag where cancel was seen; still a well-formed movie
    CutShort,  // cut before a tag whose payload the cache could not give; well-formed
    CannotCreate,
    WriteFailed, // the output could not be written; an older file of that name is kept
};

class SwfTagList {
public:
    // Counts a frame for every ShowFrame.
    void add(Tag tag);
    // Every tag, then End.
    void writeBody(SwfStream& stream) const;
    // Header and tags into `path` (written beside it and renamed over it). The header's length and
    // frame count always describe exactly what was written. Sets the context's id counter to 0.
    SaveResult writeToFile(const std::string& path, int width, int height, int frameRate, SwfContext& ctx);

    const std::vector<Tag>& tags() const { return tags_; }
    int frameCount() const { return frames_; }
    void clear();

private:
    std::vector<Tag> tags_;
    int frames_ = 0;
};

} // namespace tavlo::swf
