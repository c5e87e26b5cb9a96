#pragma once
// Timelines and frames: what callers fill and finally save.
#include "swf/context.h"
#include "swf/script.h"
#include "swf/swf_object.h"
#include "swf/tag_list.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tavlo::swf {

class SwfMovie;

class SwfFrame {
public:
    explicit SwfFrame(SwfMovie& timeline) : timeline_(timeline) {}
    SwfFrame(const SwfFrame&) = delete;
    SwfFrame& operator=(const SwfFrame&) = delete;

    void place(SwfObject& object);
    void remove(SwfObject& object);
    void setBackground(Rgb rgb);
    void addStep(const ScriptStep& step);
    void addAction(Action action);
    // Puts the frame's DoAction into its tag list at this point; once only. Actions added later
    // still land in the same DoAction.
    void closeActions();

    FrameTags& tags() { return tags_; }
    // The tags for writing. Actions that were never closed go last rather than being lost.
    FrameTags takeTags();

private:
    DoAction& doAction();

    SwfMovie& timeline_;
    FrameTags tags_;
    std::unique_ptr<Tag> pendingDoAction_;
    Tag* doAction_ = nullptr;
    bool closed_ = false;
};

// One placement: its placing tag, its RemoveObject once removed, the requested depth.
struct DisplayEntry {
    Tag* place = nullptr;
    Tag* remove = nullptr;
    uint16_t requestedDepth = 0;
};

class SwfMovie {
public:
    explicit SwfMovie(SwfContext& ctx) : ctx_(ctx) {}
    SwfMovie(const SwfMovie&) = delete;
    SwfMovie& operator=(const SwfMovie&) = delete;

    // Creates the frames up to index i.
    SwfFrame& frame(int i);
    int frameCount() const { return frameCount_; }

    int frameRate = 12;
    int width = 11000; // twips
    int height = 8000;

    // Depth-sorts, writes the file and empties the timeline.
    SaveResult save(const std::string& path);

    // Gives every placement a unique real depth, ordered by requested depth (stable).
    void depthSort();
    void addDisplayEntry(uint16_t characterId, Tag* place, uint16_t requestedDepth);
    // True when the character's latest placement has no RemoveObject yet.
    bool isOnStage(uint16_t characterId) const;
    void attachRemove(uint16_t characterId, Tag* remove);
    // The frames' tags, for a sprite body; the timeline is empty afterwards.
    std::vector<FrameTags> takeFrames();
    SwfContext& context() { return ctx_; }

private:
    SwfContext& ctx_;
    std::vector<std::unique_ptr<SwfFrame>> frames_;
    int frameCount_ = 0;
    std::map<uint16_t, std::vector<DisplayEntry>> depthMap_;
};

// The metadata document: title and the escaped description.
std::string metadataXml(const std::string& publisherAddress, const std::string& description);

} // namespace tavlo::swf
