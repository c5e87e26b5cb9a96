#pragma once
// The writer of a recording: the capture side queues rectangles of "before" and "after" pixels,
// pointer pictures, idle times and frame starts; one writer thread encodes them into the capture
// data file and notes each frame's start in the index file.
//
// Used by the capture pipeline (queueMessage, frameStarted, pendingBytes), by recording control
// (requestStop, drained, cancelCompression) and, without the thread, by recovery and video import
// (writeDirect). Where a frame's fields follow from what was written (where its chunk starts,
// whether it was stored compressed), the writer reports them instead of touching frames.
#include "project/image/capture_files.h"
#include "project/image/image_record.h"
#include "project/image/record_encoder.h"
#include "project/image/staging_ring.h"
#include "core/timed_lock.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavlo::project {

enum class MessageType : std::uint16_t {
    Before = 1,       // rectangle as it was (pixels of the last grab)
    After = 2,        // rectangle as it is now
    Pointer = 3,      // picture around the pointer, shown after `value` 1/100 s
    Idle = 4,         // `value` 1/100 s without change
    FrameStart = 100, // frame number `value` (0-based) begins
    NextSegment = 101 // continuous recording moves to its next segment
};

struct WriterMessage {
    MessageType type = MessageType::Idle;
    PixelRect rect;                    // inclusive; types 1 to 3
    std::vector<std::uint32_t> pixels; // rect.area() pixels 0x00RRGGBB in column order; owned
    std::uint16_t value = 0;
};

struct CaptureOptions {
    std::string folder;           // where the capture files are made
    bool compressed = false;      // blocks instead of 24-bit run-length ("原始视频使用额外压缩")
    int quality = 80;             // capture quality 0..100: how photographic a block must be for JPEG
    bool continuous = false;      // 20 segment pairs used in rotation
    std::size_t stagingBytes = 0; // 0: StagingRing::defaultCapacity()
};

inline constexpr int kSegmentCount = 20;
inline constexpr auto kQueueLockTimeout = std::chrono::milliseconds(10'000);

// Where a frame's records begin, as the index file has it.
struct FrameChunkStart {
    int frameNumber = 0;        // 0-based count of the frames started, not limited to 16 bits
    int segment = 0;            // always 0 outside continuous recording
    std::uint64_t sequence = 0; // the segment's use count when written (a reused segment has a new one)
    std::int64_t position = 0;  // in that segment's data file
    bool compressed = false;    // the frame's chunkCompressed
};

struct SegmentFiles {
    TempFile data;
    TempFile index;
    int firstFrame = -1; // first frame started in the segment's current use; -1 = none yet
    std::int64_t startPosition = 0;
    std::uint64_t sequence = 0; // 0 = never used
};

class CaptureWriter {
public:
    explicit CaptureWriter(CaptureOptions options);
    ~CaptureWriter(); // stops and joins the thread; closes, but keeps, the files
    CaptureWriter(const CaptureWriter&) = delete;
    CaptureWriter& operator=(const CaptureWriter&) = delete;

    // Creates the data and index files (every segment pair in continuous recording). On failure
    // nothing is left behind; showing the message is the caller's.
    bool createFiles();
    // Writes the header chunk, takes the position after it as the data position and allocates the
    // staging buffer. With startThread the writer thread begins to wait for messages.
    bool startCapture(int width, int height, bool headerCompressed, bool startThread = true);

    // Any thread. False, and the message is not queued, when the queue lock cannot be had within
    // 10 s or the writer has stopped.
    bool queueMessage(WriterMessage message);
    bool frameStarted(int frameNumber);
    // Pixel bytes (3 per pixel) queued and not yet written.
    std::int64_t pendingBytes() const { return pending_.load(); }
    // From the next frame on, rectangles are stored in the fast run-length form.
    void cancelCompression() { cancelCompression_.store(true); }

    // Recording control: ask the thread to write what is queued and end; poll drained().
    void requestStop();
    bool drained() const { return drained_.load(); }
    // requestStop, then wait for the thread. True when every byte reached the files.
    bool finish();

    // Without the thread (recovery, import): encode and write at once, on the calling thread.
    bool writeDirect(const WriterMessage& message);

    // Results; stable once the thread has ended (or between direct writes).
    const std::vector<FrameChunkStart>& frameStarts() const { return frameStarts_; }
    const ColourHistogram& histogram() const { return *histogram_; }
    std::int64_t dataPosition() const { return dataPosition_; }
    std::int64_t bytesWritten() const { return bytesWritten_.load(); }
    bool writeFailed() const { return writeFailed_.load(); }
    int droppedMessages() const { return dropped_.load(); }
    int currentSegment() const { return segment_; }
    const std::vector<SegmentFiles>& segments() const { return segments_; }
    const std::string& dataPath() const { return segments_.at(segment_).data.path; }
    const std::string& indexPath() const { return segments_.at(segment_).index.path; }
    // Flushes the staging ring into the data file (nothing stays there between messages).
    bool flush();
    void closeFiles();
    void removeFiles();

private:
    void run();
    bool encodeAndWrite(const WriterMessage& message);
    bool nextSegment();
    bool lockQueue(std::unique_lock<TimedLock>& lock);

    CaptureOptions options_;
    std::vector<SegmentFiles> segments_;
    int segment_ = 0;
    std::uint64_t sequence_ = 0;

    // Writer-thread state.
    std::unique_ptr<StagingRing> ring_;
    RecordEncoder encoder_;
    std::vector<std::uint8_t> scratch_;
    std::unique_ptr<ColourHistogram> histogram_;
    std::vector<FrameChunkStart> frameStarts_;
    std::int64_t dataPosition_ = 0;
    int frameWidth_ = 0, frameHeight_ = 0;
    bool frameCompressed_ = false;

    // Shared with the capture side.
    mutable TimedLock queueMutex_;
    std::condition_variable_any queueEvent_;
    std::deque<WriterMessage> queue_;
    bool stop_ = true; // under queueMutex_; messages are refused until the thread runs
    std::atomic<std::int64_t> pending_{0};
    std::atomic<std::int64_t> bytesWritten_{0};
    std::atomic<bool> cancelCompression_{false};
    std::atomic<bool> drained_{false};
    std::atomic<bool> writeFailed_{false};
    std::atomic<int> dropped_{0};
    std::thread thread_;
};

} // namespace tavlo::project
