#pragma once
// Fixed records stored byte for byte in the project file beside the frame record.
#include "project/frame.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace tavlo::project {

// The bubble and chapter font as stored: 60 bytes.
struct LogFont {
    std::int32_t height;
    std::int32_t width;
    std::int32_t escapement;
    std::int32_t orientation;
    std::int32_t weight;
    std::uint8_t italic;
    std::uint8_t underline;
    std::uint8_t strikeOut;
    std::uint8_t charSet;
    std::uint8_t outPrecision;
    std::uint8_t clipPrecision;
    std::uint8_t quality;
    std::uint8_t pitchAndFamily;
    char faceName[32];

    bool operator==(const LogFont& o) const { return std::memcmp(this, &o, sizeof o) == 0; }
};
static_assert(sizeof(LogFont) == 60);
static_assert(offsetof(LogFont, weight) == 16);
static_assert(offsetof(LogFont, italic) == 20);
static_assert(offsetof(LogFont, outPrecision) == 24);
static_assert(offsetof(LogFont, pitchAndFamily) == 27);
static_assert(offsetof(LogFont, faceName) == 28);

// The new-bubble font: "Microsoft Sans Serif", height -17, weight 400.
LogFont defaultBubbleFont();
std::string faceNameOf(const LogFont& f);

// One language of a bubble: 52 bytes; its strings follow it in the file.
struct LanguageTextRecord {
    Ref name;                     // 0
    Ref text;                     // 4
    Ref plainText;                // 8
    Ref speechText;               // 12
    std::uint8_t unnamed16[8];    // 16
    std::int32_t textLength;      // 24
    std::int32_t plainTextLength; // 28
    std::uint8_t unnamed32[8];    // 32
    std::int32_t bubbleX;         // 40
    std::int32_t bubbleY;         // 44
    Ref next;                     // 48
};
static_assert(sizeof(LanguageTextRecord) == 52);
static_assert(offsetof(LanguageTextRecord, speechText) == 12);
static_assert(offsetof(LanguageTextRecord, textLength) == 24);
static_assert(offsetof(LanguageTextRecord, plainTextLength) == 28);
static_assert(offsetof(LanguageTextRecord, bubbleX) == 40);
static_assert(offsetof(LanguageTextRecord, bubbleY) == 44);
static_assert(offsetof(LanguageTextRecord, next) == 48);

// The stored form of a studio timeline clip: 72 bytes.
struct ClipRecord {
    std::uint32_t owner;           // 0, ignored when read
    std::int32_t rect[4];          // 4: left, top, right, bottom
    std::int32_t row;              // 20
    std::int32_t firstSlot;        // 24
    std::int32_t frameCount;       // 28
    std::uint32_t links[4];        // 32, ignored when read
    std::uint8_t joinedPrev;       // 48
    std::uint8_t joinedNext;       // 49
    std::uint8_t padding50[2];     // 50
    std::uint32_t firstFrame;      // 52: frameId
    std::uint32_t lastFrame;       // 56: frameId
    std::int32_t firstFrameNumber; // 60
    std::int32_t lastFrameNumber;  // 64
    std::uint8_t deleted;          // 68
    std::uint8_t padding69[3];     // 69

    bool operator==(const ClipRecord& o) const { return std::memcmp(this, &o, sizeof o) == 0; }
};
inline constexpr std::size_t kClipRecordSize = 72;
inline constexpr int kMaxTimelineRows = 128;
static_assert(sizeof(ClipRecord) == kClipRecordSize);
static_assert(offsetof(ClipRecord, row) == 20);
static_assert(offsetof(ClipRecord, links) == 32);
static_assert(offsetof(ClipRecord, joinedPrev) == 48);
static_assert(offsetof(ClipRecord, firstFrame) == 52);
static_assert(offsetof(ClipRecord, lastFrameNumber) == 64);
static_assert(offsetof(ClipRecord, deleted) == 68);

template <typename T> T zeroRecord() {
    T t;
    std::memset(&t, 0, sizeof t);
    return t;
}

} // namespace tavlo::project
