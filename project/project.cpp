#include "project/project.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace tavlo::project {

Frame zeroFrame() {
    return zeroRecord<Frame>();
}

Frame newCapturedFrame(int number, const CaptureContext& ctx, const ProjectDefaults& d) {
    Frame f = zeroFrame();
    const int w = ctx.width, h = ctx.height;
    f.unnamed16 = 1;
    f.bubbleWidth = 10000;
    f.bubbleX = w / 5;
    f.bubbleY = h / 5;
    f.bubbleBackColour = d.bubbleBackColour;
    f.bubbleTextColour = -1;
    f.bubblePointX = -1;
    f.bubblePointY = -1;
    const Rect hot = defaultHotspotRect(w, h);
    f.hotspotRect[0] = hot.left;
    f.hotspotRect[1] = hot.top;
    f.hotspotRect[2] = hot.right;
    f.hotspotRect[3] = hot.bottom;
    f.pointerX = kNoPointer;
    f.pointerY = kNoPointer;
    f.soundVolume = 0x7FFF;
    f.pointerEndX = kNoPointerEnd;
    f.pointerEndY = kNoPointerEnd;
    f.hotspotColour = d.hotspotColour;
    f.bubbleStyle = kNoStyle;
    f.hotspotStyle = kNoStyle;
    f.bubbleShadowColour = d.bubbleShadowColour;
    for (int i = 0; i < 3; ++i) f.pointerFlags[i] = ctx.pointerFlags[std::size_t(i)];
    f.hotspotRippleFixed = 1;
    f.hotspotThickness = 5;
    f.hotspotOverText = 1;
    f.unnamed193 = 1;
    f.unnamed200 = -1;
    f.hotspotTransparency = 80;
    f.capturedPointerX = kNoPointer;
    f.capturedPointerY = kNoPointer;
    f.unnamed240 = 1;
    f.soundBackgroundLevel = 8191;
    f.hotspotFadeIn = 25;
    f.hotspotFadeOut = 25;
    f.hotspotMediaMode = 9;
    f.unnamed276 = -1;
    f.imageSource = 0xFFFF;
    f.actionGoToFrame = f.hotspotGoToFrame = f.hotspotShowUntilFrame = f.bubbleShowUntilFrame = number + 1;
    f.soundNoiseMix = 256;
    f.soundGain = 1.0f;
    f.unnamed358 = 1;
    f.bubbleNavigation = ctx.bubbleNavigation ? 1 : 0;
    const Rect zoom = defaultZoomRect(w, h);
    f.zoomRect[0] = zoom.left;
    f.zoomRect[1] = zoom.top;
    f.zoomRect[2] = zoom.right;
    f.zoomRect[3] = zoom.bottom;
    f.typedDisplayTime = -1;
    f.hotspotMediaScale[0] = f.hotspotMediaScale[1] = 100;
    f.chunkTrueColour = 1;
    f.chunkCompressed = ctx.compressed ? 1 : 0;
    if (ctx.followsWindow) {
        f.captureOffset[0] = std::int16_t(ctx.areaOffsetX);
        f.captureOffset[1] = std::int16_t(ctx.areaOffsetY);
    }
    return f;
}

Project::Project() {
    clear();
}

void Project::clear() {
    frames_.clear();
    currentFrame = nullptr;
    currentFrameIndex = 0;
    frameWidth = frameHeight = 0;
    colourHistogram.assign(32768, 0);
    viewState.fill(0);
    fileVersion = kCurrentVersion;
    compressedImages = false;
    wideOffsets = true;
    corrupted = false;
    bookmarks = {};
    quickMarks = {};
    defaults = ProjectDefaults{};
    bubbleStyles = {};
    defaultFrame = FrameNode{};
    defaultFrame.frame = newCapturedFrame(0, CaptureContext{}, defaults);
    settings = PublishSettings{};
    pointerShapes = PointerShapeTable{};
    sources.clear();
    clips.clear();
    nextFrameId_ = 1;
    soundSerial_ = 0;
}

FrameNode* Project::nextOf(const FrameNode* f) const {
    int n = frameNumber(f);
    return n > 0 && n < frameCount() ? frames_[std::size_t(n)].get() : nullptr;
}

FrameNode* Project::prevOf(const FrameNode* f) const {
    int n = frameNumber(f);
    return n > 1 ? frames_[std::size_t(n) - 2].get() : nullptr;
}

int Project::frameNumber(const FrameNode* f) const {
    if (!f || f->index < 0 || std::size_t(f->index) >= frames_.size() ||
        frames_[std::size_t(f->index)].get() != f)
        return 0;
    return f->index + 1;
}

void Project::renumberFrom(std::size_t first) {
    for (std::size_t i = first; i < frames_.size(); ++i) frames_[i]->index = int(i);
}

FrameNode* Project::frameAt(int number) const {
    if (number < 1 || number > frameCount()) return nullptr;
    return frames_[std::size_t(number) - 1].get();
}

FrameNode* Project::findFrameById(std::int32_t frameId) const {
    for (const auto& f : frames_)
        if (f->frame.frameId == frameId) return f.get();
    return nullptr;
}

std::int32_t Project::newFrameId() const {
    return nextFrameId_++;
}

FrameNode& Project::appendCapturedFrame(const CaptureContext& ctx) {
    auto node = std::make_unique<FrameNode>();
    node->frame = newCapturedFrame(frameCount() + 1, ctx, defaults);
    node->frame.frameId = newFrameId();
    if (ctx.recordingSound) {
        if (frames_.empty()) {
            node->frame.syncSoundStart = 1;
            node->frame.soundPlay = 1;
        }
        node->frame.syncSoundPosition = ctx.soundPosition;
        // The head frame's identity; a present slot means "starts at the head".
        node->frame.syncSoundFirstFrame = Ref(frames_.empty() ? node->frame.frameId : head()->frame.frameId);
        node->frame.syncSoundSerial = soundSerial_++;
    }
    node->index = frameCount();
    frames_.push_back(std::move(node));
    return *frames_.back();
}

std::unique_ptr<FrameNode> Project::duplicateFrame(const FrameNode& src, bool withSound) const {
    auto node = std::make_unique<FrameNode>();
    node->frame = src.frame;
    node->data = src.data; // deep copies of every owned item
    node->data.panBackground.reset();
    node->frame.panBackground = 0;
    node->frame.panBackgroundCache = 0;
    node->frame.hotspotMediaCache = 0;
    node->frame.cache = 0;
    node->frame.duplicated = 1;
    if (!withSound) {
        node->data.soundFile.reset();
        node->data.soundFileRelative.reset();
        node->frame.soundFile = 0;
        node->frame.soundFileLength = 0;
        node->frame.soundFileRelative = 0;
        node->frame.soundFileRelativeLength = 0;
        node->frame.syncSoundFirstFrame = 0;
        node->frame.autoTime = 0;
        node->frame.soundLength = 0;
        node->frame.syncSoundPosition = 0;
        node->frame.syncSoundSerial = 0;
    }
    // A copy of a copy still shows the first source's image.
    if (!src.frame.duplicated) {
        int n = frameNumber(&src);
        node->frame.imageSource = n > 0 ? n : src.frame.imageSource;
    }
    node->frame.prev = node->frame.next = 0;
    node->index = -1;
    node->frame.frameId = newFrameId();
    return node;
}

FrameNode& Project::insertAfter(FrameNode* after, std::unique_ptr<FrameNode> node) {
    const int k = frameNumber(after); // 0: insert at the front
    FrameNode* raw = node.get();
    frames_.insert(frames_.begin() + k, std::move(node));
    renumberFrom(std::size_t(k));
    for (const auto& f : frames_) {
        Frame& r = f->frame;
        for (std::int32_t* ref :
             {&r.actionGoToFrame, &r.hotspotGoToFrame, &r.hotspotShowUntilFrame, &r.bubbleShowUntilFrame})
            if (*ref > k && *ref < INT32_MAX) ++*ref;
        if (f->data.editedImage && r.editScope && r.editPropagate && r.editLastFrame < INT32_MAX)
            ++r.editLastFrame;
    }
    // The new frame joins the clip chain of the frame it follows.
    if (after && after->data.clip >= 0) {
        raw->data.clip = after->data.clip;
        FrameNode* oldNext =
            after->frame.clipNext ? findFrameById(std::int32_t(after->frame.clipNext)) : nullptr;
        raw->frame.clipPrev = Ref(after->frame.frameId);
        raw->frame.clipNext = oldNext ? Ref(oldNext->frame.frameId) : 0;
        after->frame.clipNext = Ref(raw->frame.frameId);
        if (oldNext) oldNext->frame.clipPrev = Ref(raw->frame.frameId);
        ClipRecord& c = clips[std::size_t(after->data.clip)];
        if (c.lastFrame == Ref(after->frame.frameId)) c.lastFrame = Ref(raw->frame.frameId);
    }
    return *raw;
}

FrameNode& Project::appendLoaded(std::unique_ptr<FrameNode> node) {
    node->index = frameCount();
    if (node->frame.frameId >= nextFrameId_ && node->frame.frameId < INT32_MAX)
        nextFrameId_ = node->frame.frameId + 1;
    frames_.push_back(std::move(node));
    return *frames_.back();
}

void Project::dropLeadingFrames(int count) {
    count = std::clamp(count, 0, frameCount());
    if (count == 0) return;
    if (currentFrame && frameNumber(currentFrame) <= count) currentFrame = nullptr;
    frames_.erase(frames_.begin(), frames_.begin() + count);
    renumberFrom(0);
}

int Project::effectiveDisplayTime(const FrameNode& f) const {
    const Frame& r = f.frame;
    long long t = r.displayTime;
    if (t == 0) {
        if (r.soundSingleFrame && r.soundLength != 0)
            t = r.soundLength;
        else if (r.autoTime != 0)
            t = r.autoTime;
        else
            t = r.recordedTime;
    }
    if (f.data.bubbleText && !r.bubbleOnHover && !r.bubbleShowUntil)
        t = static_cast<long long>(double(t) * settings.bubbleTimeFactor);
    if (r.frameEffect >= 1 && r.frameEffect <= 4) t += r.frameEffectTime;
    return int(std::clamp<long long>(t, INT32_MIN, INT32_MAX));
}

int Project::automaticEndFrame(const FrameNode& f, double delayScale, int delayMinimum) const {
    const long long chars = f.data.bubblePlainText
                                ? (long long)f.data.bubblePlainText->size()
                                : (f.data.bubbleText ? (long long)f.data.bubbleText->size() : 0);
    long long t = chars / 80 < 7 ? chars * (11 - chars / 80) : chars * 5;
    t = static_cast<long long>(double(t) * delayScale);
    if (t < delayMinimum && chars > 0) t = delayMinimum;
    int k = frameNumber(&f);
    if (k == 0) return 0;
    long long s = effectiveDisplayTime(f);
    while (s < t && k < frameCount()) {
        ++k;
        const FrameNode& g = *frames_[std::size_t(k) - 1];
        if (!g.frame.deleted) s += effectiveDisplayTime(g);
    }
    return k;
}

bool Project::makeSnapshot(FrameNode& f, bool chapter, SnapshotPainter paint, void* ctx) {
    Snapshot s;
    if (!paint || !paint(*this, f, s, ctx)) return false;
    f.data.snapshot = std::move(s);
    f.frame.keyImage = 1;
    f.frame.chapterMark = chapter ? 1 : 0;
    return true;
}

} // namespace tavlo::project
