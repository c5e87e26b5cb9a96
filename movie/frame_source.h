#pragma once
// Where the builder takes frame pictures from: the picture of a frame at content size, rows of
// 0x00RRGGBB pixels. The frame canvas's renderer (edited images, drawn annotations) supplies the
// same interface.
#include "project/frame_store.h"
#include "project/image/pixel_buffer.h"
#include "project/project.h"

#include <cstdint>
#include <string>
#include <vector>

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

// A frame's picture with its image edit laid over it (unless the edit is switched off): the edit
// is a zlib block of { u32 byte count, i32 width, i32 height, ARGB pixels }, alpha 0 where the
// picture stays. An edit of another size or a damaged block leaves the picture as it is.
class EditedFrameSource : public FrameSource {
public:
    EditedFrameSource(const project::Project& project, FrameSource& pictures)
        : project_(project), pictures_(pictures) {}
    bool picture(int index, project::PixelBuffer& out) override;

private:
    const project::Project& project_;
    FrameSource& pictures_;
    std::vector<std::uint8_t> edit_;
};

// Lays the edit block `edit` over `picture`; false (and `picture` untouched) when the block is not
// an edit of the picture's size.
bool applyImageEdit(const std::string& edit, project::PixelBuffer& picture,
                    std::vector<std::uint8_t>& scratch);

} // namespace tavlo::movie
