#pragma once
// Sprites: a timeline used as the body of a DefineSprite, placed under an instance name.
#include "swf/swf_object.h"

namespace tavlo::swf {

class SwfClip : public SwfObject {
public:
    // The body stays the caller's; everything it is to hold must be added before the clip is first
    // placed, when its tags are taken into the sprite.
    SwfClip(SwfContext& ctx, SwfMovie& body, std::string instanceName) : SwfObject(ctx), body_(body) {
        name = std::move(instanceName);
    }

protected:
    void define(FrameTags& tags, SwfMovie& timeline) override;

private:
    SwfMovie& body_;
};

class SwfTransformClip : public SwfClip {
public:
    using SwfClip::SwfClip;
    void move(int tx, int ty) {
        tx_ = tx;
        ty_ = ty;
    }
    void scale(int sx, int sy) {
        sx_ = sx;
        sy_ = sy;
    }
    void rotate(int angle) { rotation_ = angle; }
    void setBounds(int x0, int y0, int x1, int y1) {
        x0_ = x0;
        y0_ = y0;
        x1_ = x1;
        y1_ = y1;
    }
    bool hasMatrix() const override;
    Matrix matrix() const override;

private:
    int tx_ = 0, ty_ = 0, sx_ = 0x10000, sy_ = 0x10000, rotation_ = 0;
    int x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0;
};

} // namespace tavlo::swf
