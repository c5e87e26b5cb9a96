#pragma once
// The in-memory project: the frames in playing order with what each frame owns, and the
// project-wide tables. Frames live in nodes owned by the project; a node's address is stable for
// its life, so editors may hold a `FrameNode*` while the list changes around it.
#include "project/bubble_animation.h"
#include "project/frame.h"
#include "project/image/image_record.h"
#include "project/project_defaults.h"
#include "project/publish_settings.h"
#include "project/records.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavlo::project {

inline constexpr int kCurrentVersion = 866;
inline constexpr int kMaxSources = 2047;

struct LanguageText {
    LanguageTextRecord record = zeroRecord<LanguageTextRecord>();
    std::string name;
    std::u16string text;
    std::u16string plainText;
    std::optional<std::u16string> speechText;
    bool operator==(const LanguageText& o) const {
        return std::memcmp(&record, &o.record, sizeof record) == 0 && name == o.name && text == o.text &&
               plainText == o.plainText && speechText == o.speechText;
    }
};

// A complete picture of a frame: FastLZ-compressed 32-bit pixels.
struct Snapshot {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::string pixels;
    std::uint32_t trailer = 0; // 4 bytes that readers skip, kept as read
    bool operator==(const Snapshot&) const = default;
};

// What a frame owns beside its record. A present item sets its reference slot when saving.
struct FrameData {
    std::optional<std::u16string> bubbleText;
    std::optional<std::u16string> bubblePlainText;
    std::optional<LogFont> bubbleFont;
    std::optional<std::string> editedImage;
    std::optional<std::string> soundFile;
    std::optional<std::string> soundFileRelative;
    std::optional<std::string> hotspotUrl;
    std::optional<std::string> hotspotTarget;
    std::optional<std::string> actionUrl;
    std::optional<std::string> actionTarget;
    std::optional<std::string> hotspotMedia;
    std::optional<std::string> panBackground;
    std::optional<BubbleAnimation> bubbleAnimation;
    std::optional<std::u16string> speechText;
    std::optional<std::u16string> chapterTitle;
    std::optional<Snapshot> snapshot;
    std::vector<LanguageText> languageTexts;
    int clip = -1; // index into Project::clips, -1 = none
    bool operator==(const FrameData&) const = default;
};

struct FrameNode {
    Frame frame = zeroFrame();
    FrameData data;
    // Run-time state of the frame (decoded image, drawing state); never stored.
    std::shared_ptr<void> cache;
    // 0-based place in the list, kept by the project.
    int index = -1;
};

struct Bookmark {
    int frameNumber = 0;
    int row = 0;
    FrameNode* frame = nullptr;
    std::array<std::int8_t, 32> name{}; // at most 30 characters of the frame's bubble text
};

struct QuickMark {
    int frameNumber = 0;
    int row = 0;
    FrameNode* frame = nullptr;
};

struct PointerShape {
    std::int32_t handle = 0;
    std::int32_t hotX = 0, hotY = 0;
    std::vector<std::uint32_t> pixels; // width x height of the table
    bool inverts = false;
    std::int32_t group = 0;
    bool operator==(const PointerShape&) const = default;
};

struct PointerShapeTable {
    bool present = false;
    int width = 0, height = 0;
    std::vector<PointerShape> shapes;
    bool operator==(const PointerShapeTable&) const = default;
};

struct Source {
    std::string fullPath;
    std::string relativePath;
    bool operator==(const Source&) const = default;
};

// What a captured frame needs from the recorder beyond the frame size.
struct CaptureContext {
    int width = 0, height = 0;
    bool compressed = false;       // recording option "原始视频使用额外压缩"
    bool bubbleNavigation = false; // "callout_navigation="
    std::array<std::uint8_t, 3> pointerFlags{0, 0, 0};
    bool followsWindow = false;
    int areaOffsetX = 0, areaOffsetY = 0;
    bool recordingSound = false;
    int soundPosition = 0;
};

class Project {
public:
    Project();
    Project(const Project&) = delete;
    Project& operator=(const Project&) = delete;
    Project(Project&&) = default;
    Project& operator=(Project&&) = default;

    // Empties the project: no frames, defaults everywhere.
    void clear();

    int frameCount() const { return int(frames_.size()); }
    FrameNode* head() const { return frames_.empty() ? nullptr : frames_.front().get(); }
    FrameNode* tail() const { return frames_.empty() ? nullptr : frames_.back().get(); }
    FrameNode* nextOf(const FrameNode* f) const;
    FrameNode* prevOf(const FrameNode* f) const;
    // 1-based number in list order, deleted frames included; 0 when the frame is not here.
    int frameNumber(const FrameNode* f) const;
    // The frame with the 1-based number, or null.
    FrameNode* frameAt(int number) const;
    FrameNode* findFrameById(std::int32_t frameId) const;
    const std::vector<std::unique_ptr<FrameNode>>& frames() const { return frames_; }

    // A newly captured frame linked after the tail, with the values of a fresh frame.
    FrameNode& appendCapturedFrame(const CaptureContext& ctx);
    // A copy of `f` that is not yet in the list (see insertAfter).
    std::unique_ptr<FrameNode> duplicateFrame(const FrameNode& f, bool withSound) const;
    // Links `node` after `after` (at the front when null) and renumbers frame references.
    FrameNode& insertAfter(FrameNode* after, std::unique_ptr<FrameNode> node);
    // Appends a frame as read from a file (no renumbering).
    FrameNode& appendLoaded(std::unique_ptr<FrameNode> node);
    // Removes the first `count` frames of a recording whose start was overwritten (continuous
    // recording keeps only its last loop). A recording has no references into them yet.
    void dropLeadingFrames(int count);

    int effectiveDisplayTime(const FrameNode& f) const;
    // Where the automatic bubble reading time ends: frames up to which a bubble
    // shown from `f` stays, with the configured delay scale and minimum.
    int automaticEndFrame(const FrameNode& f, double delayScale, int delayMinimum) const;

    // A fresh frame identity, above every identity in the list.
    std::int32_t newFrameId() const;

    // Project-wide data (public: a plain aggregate of tables).
    std::string filePath;           // the open project file; empty for a recording not yet saved
    std::shared_ptr<void> openFile; // keeps the project file open and locked while it is open
    FrameNode* currentFrame = nullptr;
    int currentFrameIndex = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    std::vector<std::uint32_t> colourHistogram;
    std::array<std::uint8_t, 64> viewState{};
    int fileVersion = kCurrentVersion;
    bool compressedImages = false;
    bool wideOffsets = true;
    bool corrupted = false;
    std::array<Bookmark, 9> bookmarks{};
    std::array<QuickMark, 8> quickMarks{};
    ProjectDefaults defaults;
    std::array<BubbleStyle, 8> bubbleStyles{};
    FrameNode defaultFrame;
    PublishSettings settings;
    PointerShapeTable pointerShapes;
    std::vector<Source> sources;
    std::vector<ClipRecord> clips;
    // The bubble-text languages live in the settings block with the edit window's list.
    LanguageList& languages() { return settings.block.languages; }
    const LanguageList& languages() const { return settings.block.languages; }

    // Hook for snapshots: paints a frame's complete picture; supplied by the frame canvas.
    using SnapshotPainter = bool (*)(const Project&, const FrameNode&, Snapshot& out, void* ctx);
    // Replaces the frame's snapshot with a new one and marks it a key image.
    bool makeSnapshot(FrameNode& f, bool chapter, SnapshotPainter paint, void* ctx);

private:
    void renumberFrom(std::size_t first);
    std::vector<std::unique_ptr<FrameNode>> frames_;
    mutable std::int32_t nextFrameId_ = 1;
    int soundSerial_ = 0;
};

// The index of a pixel 0x00RRGGBB in the 15-bit colour histogram.
inline std::uint32_t histogramIndex(std::uint32_t rgb) { return colourIndex(rgb); }

// The record of a frame as a new capture makes it (number = its 1-based number).
Frame newCapturedFrame(int number, const CaptureContext& ctx, const ProjectDefaults& d);

} // namespace tavlo::project
