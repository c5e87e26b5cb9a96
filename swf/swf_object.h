#pragma once
// The base of everything that can be placed in a frame.
#include "swf/context.h"
#include "swf/types.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavlo::swf {

class SwfMovie;
using FrameTags = std::vector<std::unique_ptr<Tag>>;
// Appends a tag and returns where it lives (tags never move while their frame holds them).
Tag* appendTag(FrameTags& tags, Tag tag);

class SwfObject {
public:
    explicit SwfObject(SwfContext& ctx) : ctx_(ctx) {}
    virtual ~SwfObject() = default;
    SwfObject(const SwfObject&) = delete;
    SwfObject& operator=(const SwfObject&) = delete;

    virtual bool isDisplayable() const { return true; }
    // Emits the definition tag(s) when not yet defined, then (unless defineOnly) the placing tag,
    // and records the placement in the timeline for depth sorting.
    virtual void place(FrameTags& tags, SwfMovie& timeline);
    // RemoveObject for the latest placement in this timeline that is still on stage.
    virtual void remove(FrameTags& tags, SwfMovie& timeline);
    virtual bool hasMatrix() const { return false; }
    virtual Matrix matrix() const { return {}; }

    void setColourTransform(int mR, int mG, int mB, int mA, int aR, int aG, int aB, int aA);

    uint16_t depth = 1; // requested depth; the real one comes from depth sorting
    std::string name;   // instance name, none when empty
    std::optional<ColorTransform> colourTransform;
    int characterId = -1;
    bool defined = false;
    bool defineOnly = false; // define when placed, but write no placing tag (button states)

protected:
    virtual void define(FrameTags& tags, SwfMovie& timeline) = 0;
    // PlaceObject2 with depth 0 (set by depth sorting); text fields may use PlaceObject3.
    virtual Tag placingTag() const;
    PlaceObject2 placeObject2(bool withName = true) const;
    // Appends the placing tag and the display entry.
    void placeOnStage(FrameTags& tags, SwfMovie& timeline);

    SwfContext& ctx_;
};

} // namespace tavlo::swf
