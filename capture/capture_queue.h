#pragma once
// Where the capture pipeline sends what it grabbed: the frame-store writer in a recording, a
// recording double in tests.
#include "project/image/capture_writer.h"

#include <cstdint>
#include <string>

namespace tavlo::capture {

using project::MessageType;
using project::WriterMessage;

class CaptureQueue {
public:
    virtual ~CaptureQueue() = default;
    // Makes the capture files for a width × height recording and writes their header chunk.
    virtual bool open(int width, int height, bool continuous, std::string& error) = 0;
    virtual void push(WriterMessage message) = 0;
    // Pixel bytes queued but not yet written.
    virtual std::int64_t pendingBytes() const = 0;
    // Bytes written to the data files so far.
    virtual std::int64_t bytesWritten() const = 0;
};

// The queue of a real recording: the frame-store writer and its thread.
class WriterQueue : public CaptureQueue {
public:
    // `compressed`: the recording stores blocks; the header chunk says so.
    WriterQueue(project::CaptureWriter& writer, bool compressed) : writer_(writer), compressed_(compressed) {}
    bool open(int width, int height, bool continuous, std::string& error) override;
    void push(WriterMessage message) override;
    std::int64_t pendingBytes() const override { return writer_.pendingBytes(); }
    std::int64_t bytesWritten() const override { return writer_.bytesWritten(); }
    // Messages the writer refused (its lock timed out or it had stopped).
    int refused() const { return refused_; }

private:
    project::CaptureWriter& writer_;
    bool compressed_;
    int refused_ = 0;
};

} // namespace tavlo::capture
