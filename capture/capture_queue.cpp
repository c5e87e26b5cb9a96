#include "capture/capture_queue.h"

namespace tavlo::capture {

bool WriterQueue::open(int width, int height, bool continuous, std::string& error) {
    if (!writer_.createFiles()) {
        error = continuous ? "Unable to open loop capture files" : "Unable to open capture file";
        return false;
    }
    if (!writer_.startCapture(width, height, compressed_)) {
        error = continuous ? "Unable to open loop capture files" : "Unable to open capture file";
        writer_.removeFiles();
        return false;
    }
    return true;
}

void WriterQueue::push(WriterMessage message) {
    if (!writer_.queueMessage(std::move(message))) ++refused_;
}

} // namespace tavlo::capture
