#pragma once
// Frame pictures of a project: each frame's chunk decoded from the file that holds it and painted
// over the picture of the frame before, from the last key image (or snapshot) on. Decoded chunks
// are kept within a budget of width × height × 40 pixels. Thread-safe: the background decoder
// and the editor may ask at the same time.
#include "project/image/background_decoder.h"
#include "project/image/chunk_decoder.h"
#include "project/image/pixel_buffer.h"
#include "project/project.h"

#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tavlo::project {

class FrameStore : public PrefetchSource {
public:
    explicit FrameStore(const Project& project);
    ~FrameStore() override;
    FrameStore(const FrameStore&) = delete;
    FrameStore& operator=(const FrameStore&) = delete;

    // Opens the project file and its source files for reading. False, with the reason, when the
    // project file itself cannot be read; missing source files only leave their frames unpainted.
    bool open(std::string& error);

    // The decoded "after" records of a frame (cached), what painting forwards needs. Null when
    // the frame has no readable chunk.
    std::shared_ptr<const DecodedChunk> chunk(const FrameNode& frame);
    bool isDecoded(const FrameNode& frame) const;

    // The picture after frame `index` (0-based, list order): the frame size, or the whole monitor
    // in a pan recording. Steps of one frame forwards or back reuse the last picture.
    // `sourceMissing` is set when a frame on the way could not be painted for a missing source.
    bool paint(int index, PixelBuffer& picture, bool* sourceMissing = nullptr);
    // The frame-size view of frame `index`: in a pan recording the window at its capture offset.
    bool framePicture(int index, PixelBuffer& out, bool* sourceMissing = nullptr);

    // What the background decoder works through (frames by list index).
    int frameCount() const override { return project_.frameCount(); }
    bool located(int frame) const override;
    bool decoded(int frame) const override;
    std::size_t decode(int frame) override;
    void evict(int frame) override;

    std::uint32_t background = 0x00FFFFFF; // what clearBackground fills with
    std::size_t budgetPixels() const { return budget_; }
    std::size_t decodedPixels() const;

private:
    bool paintFrom(int start, int index, PixelBuffer& picture, bool* sourceMissing);
    void startPicture(const FrameNode& f, PixelBuffer& picture);
    void paintOne(const FrameNode& f, PixelBuffer& picture, bool forward, bool* sourceMissing);
    int fdFor(const Frame& f) const;
    void offsetOf(const Frame& f, int& dx, int& dy) const;

    const Project& project_;
    int projectFd_ = -1;
    std::vector<int> sourceFds_; // sourceFile k reads sourceFds_[k - 1]; -1 = not open
    bool panProject_ = false;
    bool useOffsets_ = false;
    int pictureWidth_ = 0, pictureHeight_ = 0;

    mutable std::mutex mutex_;
    struct Entry {
        std::shared_ptr<const DecodedChunk> chunk;
        std::list<const FrameNode*>::iterator age;
    };
    std::map<const FrameNode*, Entry> cache_;
    std::list<const FrameNode*> order_; // oldest first
    std::size_t decoded_ = 0;
    std::size_t budget_ = 0;

    // The last painted picture, for single steps.
    int lastIndex_ = -1;
    PixelBuffer last_;
};

} // namespace tavlo::project
