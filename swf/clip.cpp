#include "swf/clip.h"

#include "swf/movie.h"
#include "swf/shapes.h"

namespace tavlo::swf {

void SwfClip::define(FrameTags& tags, SwfMovie&) {
    body_.depthSort();
    DefineSprite sprite;
    for (FrameTags& frame : body_.takeFrames()) {
        for (auto& t : frame) {
            // A sprite may hold control tags only: definitions made inside it go just before the
            // sprite, in the frame that defines it, with the ids they already have.
            if (t->characterId() != 0)
                tags.push_back(std::move(t));
            else
                sprite.tags.push_back(std::move(*t));
        }
        sprite.tags.push_back(ShowFrame{});
        ++sprite.frameCount;
    }
    characterId = ctx_.nextCharacterId();
    sprite.id = uint16_t(characterId);
    appendTag(tags, std::move(sprite));
}

bool SwfTransformClip::hasMatrix() const {
    return tx_ != 0 || ty_ != 0 || rotation_ != 0 || sx_ != 0x10000 || sy_ != 0x10000;
}

Matrix SwfTransformClip::matrix() const {
    return transformMatrix(x0_, y0_, x1_, y1_, tx_, ty_, sx_, sy_, rotation_);
}

} // namespace tavlo::swf
