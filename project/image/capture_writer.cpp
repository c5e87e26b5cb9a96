#include "project/image/capture_writer.h"

#include "project/image/byte_io.h"

#include <unistd.h>

namespace tavlo::project {

namespace {

constexpr std::uint64_t kFirstFrameMark = 0xFFull << 56;

std::int64_t pixelBytes(const WriterMessage& m) {
    return m.pixels.empty() ? 0 : static_cast<std::int64_t>(m.rect.area()) * 3;
}

bool fitsRecord(const PixelRect& r) {
    auto in16 = [](int v) { return v >= -32768 && v <= 32767; };
    return r.width() > 0 && r.height() > 0 && in16(r.left) && in16(r.right) && in16(r.top) && in16(r.bottom);
}

void closeFile(TempFile& f) {
    if (f.fd >= 0) ::close(f.fd);
    f.fd = -1;
}

} // namespace

CaptureWriter::CaptureWriter(CaptureOptions options)
    : options_(std::move(options)), histogram_(std::make_unique<ColourHistogram>()) {
    histogram_->fill(0);
}

CaptureWriter::~CaptureWriter() {
    finish();
    closeFiles();
}

bool CaptureWriter::createFiles() {
    const int count = options_.continuous ? kSegmentCount : 1;
    segments_.clear();
    for (int i = 0; i < count; ++i) {
        auto data = createTempFile(options_.folder, kDataPrefix);
        auto index = data ? createTempFile(options_.folder, kIndexPrefix) : std::nullopt;
        if (!data || !index) {
            if (data) {
                closeFile(*data);
                ::unlink(data->path.c_str());
            }
            removeFiles();
            segments_.clear();
            return false;
        }
        SegmentFiles s;
        s.data = *data;
        s.index = *index;
        segments_.push_back(std::move(s));
    }
    segment_ = 0;
    segments_[0].sequence = ++sequence_;
    return true;
}

bool CaptureWriter::startCapture(int width, int height, bool headerCompressed, bool startThread) {
    if (segments_.empty() || thread_.joinable()) return false;
    const auto header = headerChunk(width, height, headerCompressed);
    SegmentFiles& s = segments_[segment_];
    if (!writeAll(s.data.fd, header.data(), header.size())) return false;
    dataPosition_ = static_cast<std::int64_t>(header.size());
    frameWidth_ = width;
    frameHeight_ = height;
    bytesWritten_ += static_cast<std::int64_t>(header.size());
    options_.compressed = headerCompressed;
    frameCompressed_ = headerCompressed;
    ring_ = std::make_unique<StagingRing>(options_.stagingBytes ? options_.stagingBytes
                                                                : StagingRing::defaultCapacity());
    drained_ = false;
    if (startThread) {
        {
            std::lock_guard lock(queueMutex_);
            stop_ = false; // from here on messages are taken
        }
        thread_ = std::thread([this] { run(); });
    }
    return true;
}

bool CaptureWriter::lockQueue(std::unique_lock<TimedLock>& lock) {
    return lock.try_lock_for(kQueueLockTimeout);
}

bool CaptureWriter::queueMessage(WriterMessage message) {
    std::unique_lock lock(queueMutex_, std::defer_lock);
    if (!lockQueue(lock) || stop_) {
        ++dropped_;
        return false;
    }
    pending_ += pixelBytes(message);
    queue_.push_back(std::move(message));
    lock.unlock();
    queueEvent_.notify_one();
    return true;
}

bool CaptureWriter::frameStarted(int frameNumber) {
    WriterMessage m;
    m.type = MessageType::FrameStart;
    m.value = static_cast<std::uint16_t>(frameNumber);
    return queueMessage(std::move(m));
}

void CaptureWriter::requestStop() {
    {
        std::unique_lock lock(queueMutex_); // the writer never gives up on the lock
        stop_ = true;
    }
    queueEvent_.notify_one();
}

bool CaptureWriter::finish() {
    if (thread_.joinable()) {
        requestStop();
        thread_.join();
    }
    return !writeFailed_.load();
}

void CaptureWriter::run() {
    while (true) {
        WriterMessage message;
        {
            std::unique_lock lock(queueMutex_);
            queueEvent_.wait(lock, [this] { return !queue_.empty() || stop_; });
            if (queue_.empty()) break; // stopped, and everything queued is written
            message = std::move(queue_.front());
            queue_.pop_front();
            pending_ -= pixelBytes(message);
        }
        encodeAndWrite(message);
    }
    if (!flush()) writeFailed_ = true;
    drained_ = true;
}

bool CaptureWriter::writeDirect(const WriterMessage& message) {
    if (thread_.joinable() || !ring_) return false;
    return encodeAndWrite(message);
}

bool CaptureWriter::flush() {
    if (!ring_ || segments_.empty()) return true;
    return ring_->flush(segments_[segment_].data.fd);
}

bool CaptureWriter::nextSegment() {
    if (!flush()) writeFailed_ = true;
    if (!options_.continuous) return false;
    segment_ = (segment_ + 1) % kSegmentCount;
    SegmentFiles& s = segments_[segment_];
    // Reusing the oldest segment: empty both files and write from their start.
    bool ok = ::ftruncate(s.data.fd, 0) == 0 && ::lseek(s.data.fd, 0, SEEK_SET) == 0;
    ok = ::ftruncate(s.index.fd, 0) == 0 && ::lseek(s.index.fd, 0, SEEK_SET) == 0 && ok;
    s.firstFrame = -1;
    s.startPosition = 0;
    s.sequence = ++sequence_;
    dataPosition_ = 0;
    if (!ok) writeFailed_ = true;
    return ok;
}

bool CaptureWriter::encodeAndWrite(const WriterMessage& m) {
    switch (m.type) {
    case MessageType::FrameStart: {
        // Frames are stored in one encoding from start to end; a cancelled compression takes
        // effect at the next frame.
        frameCompressed_ = options_.compressed && !cancelCompression_.load();
        SegmentFiles& s = segments_[segment_];
        // Frames are counted here: the message's 16-bit number wraps after 65,535 frames, and a
        // wrapped 0 must not mark a later entry as the first.
        const int number = static_cast<int>(frameStarts_.size());
        std::uint64_t entry = static_cast<std::uint64_t>(dataPosition_);
        if (options_.continuous) {
            if (s.firstFrame < 0) {
                s.firstFrame = number;
                s.startPosition = dataPosition_;
            }
        } else if (number == 0) {
            entry |= kFirstFrameMark;
        }
        std::uint8_t bytes[8];
        putU64At(bytes, entry);
        frameStarts_.push_back({number, segment_, s.sequence, dataPosition_, frameCompressed_});
        if (!writeAll(s.index.fd, bytes, sizeof bytes)) {
            writeFailed_ = true;
            return false;
        }
        return true;
    }
    case MessageType::NextSegment:
        return nextSegment();
    case MessageType::Idle:
        scratch_.clear();
        RecordEncoder::idle(m.value, scratch_);
        break;
    case MessageType::Before:
    case MessageType::After:
    case MessageType::Pointer: {
        // A changed rectangle outside the frame would end the decoding of the rest of the chunk.
        const bool outside =
            m.type != MessageType::Pointer && (m.rect.left < 0 || m.rect.top < 0 ||
                                               m.rect.right >= frameWidth_ || m.rect.bottom >= frameHeight_);
        if (!fitsRecord(m.rect) || outside || m.pixels.size() != m.rect.area()) {
            ++dropped_;
            return false;
        }
        scratch_.clear();
        const PixelEncoding encoding = frameCompressed_ ? PixelEncoding::Block : PixelEncoding::Rle24;
        if (!encoder_.rectangle(static_cast<RecordType>(m.type), m.value, m.rect, m.pixels.data(), encoding,
                                options_.quality, scratch_, histogram_.get())) {
            ++dropped_;
            return false;
        }
        break;
    }
    default:
        ++dropped_;
        return false;
    }
    const int fd = segments_[segment_].data.fd;
    bool ok = ring_->put(fd, scratch_.data(), scratch_.size());
    dataPosition_ += static_cast<std::int64_t>(scratch_.size());
    ok = flush() && ok;
    if (ok)
        bytesWritten_ += static_cast<std::int64_t>(scratch_.size());
    else
        writeFailed_ = true;
    return ok;
}

void CaptureWriter::closeFiles() {
    for (SegmentFiles& s : segments_) {
        closeFile(s.data);
        closeFile(s.index);
    }
}

void CaptureWriter::removeFiles() {
    closeFiles();
    for (SegmentFiles& s : segments_) {
        if (!s.data.path.empty()) ::unlink(s.data.path.c_str());
        if (!s.index.path.empty()) ::unlink(s.index.path.c_str());
    }
}

} // namespace tavlo::project
