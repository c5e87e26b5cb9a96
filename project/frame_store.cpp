#include "project/frame_store.h"

#include "project/image/snapshot_codec.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

namespace tavlo::project {

namespace {

constexpr int kMaxPanSide = 16384;

// A pan background: zlib data of a u32 byte count, the width, the height and 32-bit pixels.
std::optional<PixelBuffer> decodePanBackground(const std::string& packed) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return std::nullopt;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    z.avail_in = uInt(packed.size());
    std::uint8_t head[12];
    z.next_out = head;
    z.avail_out = sizeof head;
    int rc = inflate(&z, Z_SYNC_FLUSH);
    auto u32 = [&](int at) {
        return std::uint32_t(head[at]) | head[at + 1] << 8 | head[at + 2] << 16 |
               std::uint32_t(head[at + 3]) << 24;
    };
    if ((rc != Z_OK && rc != Z_STREAM_END) || z.avail_out != 0) {
        inflateEnd(&z);
        return std::nullopt;
    }
    const std::uint32_t w = u32(4), h = u32(8);
    // Sizes are checked before anything is allocated.
    if (w == 0 || h == 0 || w > kMaxPanSide || h > kMaxPanSide || u32(0) != w * h * 4 + 8) {
        inflateEnd(&z);
        return std::nullopt;
    }
    PixelBuffer pic{int(w), int(h)};
    z.next_out = reinterpret_cast<Bytef*>(pic.pixels.data());
    z.avail_out = uInt(pic.pixels.size() * 4);
    rc = inflate(&z, Z_FINISH);
    const bool complete = z.avail_out == 0;
    inflateEnd(&z);
    if (!complete) return std::nullopt;
    for (auto& p : pic.pixels) p &= 0x00FFFFFFu;
    return pic;
}

} // namespace

FrameStore::FrameStore(const Project& project) : project_(project) {
    budget_ =
        std::size_t(std::max(project.frameWidth, 1)) * std::size_t(std::max(project.frameHeight, 1)) * 40;
    pictureWidth_ = project.frameWidth;
    pictureHeight_ = project.frameHeight;
    for (const auto& n : project.frames())
        if (n->data.panBackground) {
            if (auto pan = decodePanBackground(*n->data.panBackground)) {
                panProject_ = true;
                pictureWidth_ = pan->width;
                pictureHeight_ = pan->height;
            }
            break;
        }
    useOffsets_ = panProject_ || !project.sources.empty();
}

FrameStore::~FrameStore() {
    if (projectFd_ >= 0) ::close(projectFd_);
    for (int fd : sourceFds_)
        if (fd >= 0) ::close(fd);
}

bool FrameStore::open(std::string& error) {
    projectFd_ = ::open(project_.filePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (projectFd_ < 0) {
        error = "Cannot read the project file " + project_.filePath + ".";
        return false;
    }
    for (const Source& s : project_.sources)
        sourceFds_.push_back(::open(s.fullPath.c_str(), O_RDONLY | O_CLOEXEC));
    return true;
}

int FrameStore::fdFor(const Frame& f) const {
    if (f.sourceFile == 0) return projectFd_;
    if (f.sourceFile < 0 || std::size_t(f.sourceFile) > sourceFds_.size()) return -1;
    return sourceFds_[std::size_t(f.sourceFile) - 1];
}

void FrameStore::offsetOf(const Frame& f, int& dx, int& dy) const {
    dx = useOffsets_ ? f.captureOffset[0] : 0;
    dy = useOffsets_ ? f.captureOffset[1] : 0;
}

bool FrameStore::isDecoded(const FrameNode& frame) const {
    std::lock_guard lock(mutex_);
    return cache_.count(&frame) != 0;
}

std::size_t FrameStore::decodedPixels() const {
    std::lock_guard lock(mutex_);
    return decoded_;
}

std::shared_ptr<const DecodedChunk> FrameStore::chunk(const FrameNode& node) {
    {
        std::lock_guard lock(mutex_);
        auto it = cache_.find(&node);
        if (it != cache_.end()) return it->second.chunk;
    }
    const Frame& f = node.frame;
    const int fd = fdFor(f);
    if (fd < 0 || f.imageEnd <= f.imageStart) return nullptr;
    // Going forwards needs only the "after" records: a key image's "before" half would double
    // its cost. A step back decodes the other half on its own (paintOne).
    auto decoded = std::make_shared<DecodedChunk>(
        decodeChunkFromFile(fd, f.imageStart, f.imageEnd, encodingOf(f.chunkTrueColour, f.chunkCompressed),
                            project_.frameWidth, project_.frameHeight, RecordSelection::ForwardOnly));
    std::lock_guard lock(mutex_);
    if (auto it = cache_.find(&node); it != cache_.end()) return it->second.chunk; // decoded meanwhile
    // Oldest first out, never the one just decoded.
    while (decoded_ + decoded->decodedSize() > budget_ && !order_.empty()) {
        const FrameNode* oldest = order_.front();
        order_.pop_front();
        auto old = cache_.find(oldest);
        decoded_ -= old->second.chunk->decodedSize();
        cache_.erase(old);
    }
    order_.push_back(&node);
    cache_[&node] = Entry{decoded, std::prev(order_.end())};
    decoded_ += decoded->decodedSize();
    return decoded;
}

bool FrameStore::located(int frame) const {
    if (frame < 0 || frame >= project_.frameCount()) return false;
    const Frame& f = project_.frames()[std::size_t(frame)]->frame;
    return f.imageEnd > f.imageStart && fdFor(f) >= 0;
}

bool FrameStore::decoded(int frame) const {
    return frame >= 0 && frame < project_.frameCount() && isDecoded(*project_.frames()[std::size_t(frame)]);
}

std::size_t FrameStore::decode(int frame) {
    if (!located(frame)) return 0;
    auto c = chunk(*project_.frames()[std::size_t(frame)]);
    return c ? c->decodedSize() : 0;
}

void FrameStore::evict(int frame) {
    if (frame < 0 || frame >= project_.frameCount()) return;
    std::lock_guard lock(mutex_);
    auto it = cache_.find(project_.frames()[std::size_t(frame)].get());
    if (it == cache_.end()) return;
    decoded_ -= it->second.chunk->decodedSize();
    order_.erase(it->second.age);
    cache_.erase(it);
}

void FrameStore::startPicture(const FrameNode& n, PixelBuffer& picture) {
    if (picture.width != pictureWidth_ || picture.height != pictureHeight_)
        picture = PixelBuffer(pictureWidth_, pictureHeight_);
    if (n.data.panBackground) {
        if (auto pan = decodePanBackground(*n.data.panBackground);
            pan && pan->width == pictureWidth_ && pan->height == pictureHeight_) {
            picture = std::move(*pan);
            return;
        }
    }
    picture.fill(background);
    if (n.data.snapshot) {
        const Snapshot& s = *n.data.snapshot;
        auto pixels = decompressSnapshotPixels(
            s.width, s.height,
            std::span(reinterpret_cast<const std::uint8_t*>(s.pixels.data()), s.pixels.size()));
        if (pixels) paintSnapshot(picture, *pixels);
    }
}

void FrameStore::paintOne(const FrameNode& n, PixelBuffer& picture, bool forward, bool* sourceMissing) {
    if (n.frame.sourceFile != 0 && fdFor(n.frame) < 0) {
        if (sourceMissing) *sourceMissing = true;
        return;
    }
    int dx, dy;
    offsetOf(n.frame, dx, dy);
    if (forward) {
        if (auto c = chunk(n)) paintForward(picture, *c, dx, dy);
        return;
    }
    const Frame& f = n.frame;
    const int fd = fdFor(f);
    if (fd < 0 || f.imageEnd <= f.imageStart) return;
    const DecodedChunk before =
        decodeChunkFromFile(fd, f.imageStart, f.imageEnd, encodingOf(f.chunkTrueColour, f.chunkCompressed),
                            project_.frameWidth, project_.frameHeight, RecordSelection::BackwardOnly);
    paintBackward(picture, before, dx, dy);
}

bool FrameStore::paintFrom(int start, int index, PixelBuffer& picture, bool* sourceMissing) {
    const auto& frames = project_.frames();
    startPicture(*frames[std::size_t(start)], picture);
    if (frames[std::size_t(start)]->frame.clearBackground) picture.fill(background);
    for (int i = start; i <= index; ++i) {
        const FrameNode& n = *frames[std::size_t(i)];
        if (i > start && n.frame.clearBackground) picture.fill(background);
        paintOne(n, picture, true, sourceMissing);
    }
    return true;
}

bool FrameStore::paint(int index, PixelBuffer& picture, bool* sourceMissing) {
    const auto& frames = project_.frames();
    if (index < 0 || index >= int(frames.size())) return false;
    if (sourceMissing) *sourceMissing = false;
    // One step forwards: the frame's own rectangles over the last picture.
    if (lastIndex_ >= 0 && index == lastIndex_ + 1 && !frames[std::size_t(index)]->frame.clearBackground &&
        !frames[std::size_t(index)]->data.snapshot && !frames[std::size_t(index)]->data.panBackground) {
        paintOne(*frames[std::size_t(index)], last_, true, sourceMissing);
    } else if (lastIndex_ >= 0 && index == lastIndex_ - 1 &&
               !frames[std::size_t(lastIndex_)]->frame.duplicated &&
               !frames[std::size_t(lastIndex_)]->frame.clearBackground &&
               !frames[std::size_t(lastIndex_)]->data.snapshot &&
               !frames[std::size_t(lastIndex_)]->frame.keyImage) {
        // One step back: the later frame's "before" rectangles. A duplicate's chunk is its source's,
        // whose "before" is the picture ahead of the source, so a duplicate is repainted instead.
        paintOne(*frames[std::size_t(lastIndex_)], last_, false, sourceMissing);
    } else {
        int start = index;
        while (start > 0) {
            const FrameNode& n = *frames[std::size_t(start)];
            if (n.frame.keyImage || n.data.snapshot || n.frame.clearBackground || n.data.panBackground) break;
            --start;
        }
        paintFrom(start, index, last_, sourceMissing);
    }
    lastIndex_ = index;
    picture = last_;
    return true;
}

bool FrameStore::framePicture(int index, PixelBuffer& out, bool* sourceMissing) {
    PixelBuffer whole;
    if (!paint(index, whole, sourceMissing)) return false;
    if (!panProject_) {
        out = std::move(whole);
        return true;
    }
    const Frame& f = project_.frames()[std::size_t(index)]->frame;
    out = PixelBuffer(project_.frameWidth, project_.frameHeight, background);
    const int ox = f.captureOffset[0], oy = f.captureOffset[1];
    for (int y = 0; y < out.height; ++y) {
        const int sy = y + oy;
        if (sy < 0 || sy >= whole.height) continue;
        for (int x = 0; x < out.width; ++x) {
            const int sx = x + ox;
            if (sx >= 0 && sx < whole.width) out.row(y)[x] = whole.row(sy)[sx];
        }
    }
    return true;
}

} // namespace tavlo::project
