#pragma once
// Where the builder takes frame pictures from: the picture of a frame at content size, rows of
// 0x00RRGGBB pixels. The frame canvas's renderer (edited images, drawn annotations) supplies the
// same interface.
#include "project/frame_store.h"
#include "project/image/pixel_buffer.h"

namespace tavlo::movie {

class FrameSource {
public:
    virtual ~FrameSource() = default;
    // Frame `index` (0-based, list order). False when it cannot be painted.
    virtual bool picture(int index, project::PixelBuffer& out) = 0;
};

// The recorded pictures, as the frame store decodes them.
class StoreFrameSource : public FrameSource {
public:
    explicit StoreFrameSource(project::FrameStore& store) : store_(store) {}
    bool picture(int index, project::PixelBuffer& out) override { return store_.framePicture(index, out); }

private:
    project::FrameStore& store_;
};

} // namespace tavlo::movie
