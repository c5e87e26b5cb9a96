#include "swf/swf_object.h"

#include "swf/movie.h"

namespace tavlo::swf {

Tag* appendTag(FrameTags& tags, Tag tag) {
    tags.push_back(std::make_unique<Tag>(std::move(tag)));
    return tags.back().get();
}

void SwfObject::setColourTransform(int mR, int mG, int mB, int mA, int aR, int aG, int aB, int aA) {
    ColorTransform c;
    c.hasMult = c.hasAdd = true;
    c.mult = {int16_t(mR), int16_t(mG), int16_t(mB), int16_t(mA)};
    c.add = {int16_t(aR), int16_t(aG), int16_t(aB), int16_t(aA)};
    colourTransform = c;
}

PlaceObject2 SwfObject::placeObject2(bool withName) const {
    PlaceObject2 p;
    p.characterId = uint16_t(characterId);
    if (hasMatrix()) p.matrix = matrix();
    p.colorTransform = colourTransform;
    if (withName && !name.empty()) p.name = name;
    return p;
}

Tag SwfObject::placingTag() const {
    return placeObject2();
}

void SwfObject::placeOnStage(FrameTags& tags, SwfMovie& timeline) {
    Tag* t = appendTag(tags, placingTag());
    timeline.addDisplayEntry(uint16_t(characterId), t, depth);
}

void SwfObject::place(FrameTags& tags, SwfMovie& timeline) {
    if (!defined) {
        define(tags, timeline);
        defined = true;
    }
    if (!defineOnly) placeOnStage(tags, timeline);
}

void SwfObject::remove(FrameTags& tags, SwfMovie& timeline) {
    // A RemoveObject without a placement would take away whatever happens to sit at its depth.
    if (characterId < 0 || !timeline.isOnStage(uint16_t(characterId))) return;
    timeline.attachRemove(uint16_t(characterId), appendTag(tags, RemoveObject{uint16_t(characterId), 0}));
}

} // namespace tavlo::swf
