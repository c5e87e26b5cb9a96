#pragma once
// What the capture pipeline hands to the frame-store writer: rectangles of pixels before and after
// a change, pointer pictures, time records, frame starts and segment switches.
#include "project/image/image_record.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavlo::capture {

enum class MessageType : int {
    Before = 1,       // a changed rectangle as it was
    After = 2,        // the same rectangle after the change
    Pointer = 3,      // the picture under and of the pointer, with a time
    Time = 4,         // time passing, nothing to draw
    FrameStart = 100, // the newest frame's index entry
    NextSegment = 101 // continuous recording moves to its next pair of files
};

struct CaptureMessage {
    MessageType type = MessageType::Time;
    project::PixelRect rect;
    std::vector<std::uint32_t> pixels; // column order, 0x00RRGGBB
    std::int16_t value = 0;            // time in 1/100 s (3, 4) or the frame number (100)
};

class CaptureQueue {
public:
    virtual ~CaptureQueue() = default;
    // Makes the capture files for a width × height recording and writes their header chunk.
    virtual bool open(int width, int height, bool continuous, std::string& error) = 0;
    virtual void push(CaptureMessage message) = 0;
    // Pixel bytes queued but not yet written.
    virtual std::int64_t pendingBytes() const = 0;
    // Bytes written to the data file so far (all segments).
    virtual std::int64_t bytesWritten() const = 0;
};

} // namespace tavlo::capture
