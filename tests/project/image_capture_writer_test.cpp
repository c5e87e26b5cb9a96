#include "image_test_util.h"
#include "project/image/block_codec.h"
#include "project/image/byte_io.h"
#include "project/image/capture_writer.h"
#include "project/image/chunk_decoder.h"
#include "project/image/staging_ring.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace tavlo::project {
namespace {

using namespace tavlo::project::test;

constexpr int W = 320, H = 240;

std::vector<std::uint32_t> cut(const PixelBuffer& pic, const PixelRect& r) {
    return columns(r.width(), r.height(), [&](int x, int y) { return pic.at(r.left + x, r.top + y); });
}

WriterMessage rectMessage(MessageType type, const PixelRect& r, std::vector<std::uint32_t> px,
                          std::uint16_t value = 0) {
    WriterMessage m;
    m.type = type;
    m.rect = r;
    m.pixels = std::move(px);
    m.value = value;
    return m;
}

// Paints a rectangle of the scene for frame `i`: flat, desktop-like, or photographic.
void paintScene(PixelBuffer& pic, const PixelRect& r, int kind, int i) {
    const auto px = kind == 0   ? flat(r.width(), r.height(), 0x00304050u + std::uint32_t(i) * 0x010203)
                    : kind == 1 ? desktop(r.width(), r.height(), i)
                                : photo(r.width(), r.height(), unsigned(i + 1));
    for (int x = 0; x < r.width(); ++x)
        for (int y = 0; y < r.height(); ++y)
            pic.row(r.top + y)[r.left + x] = px[std::size_t(x) * r.height() + y];
}

struct Change {
    PixelRect rect;
    int kind;
};

// The recording: frame 0 and frame 12 are whole-frame key images; the others change a few
// rectangles of different sizes, some photographic (the JPEG path when compressing).
std::vector<std::vector<Change>> script() {
    std::vector<std::vector<Change>> frames;
    for (int i = 0; i < 24; ++i) {
        std::vector<Change> c;
        if (i == 0 || i == 12) {
            c.push_back({{0, 0, W - 1, H - 1}, i == 0 ? 1 : 2});
        } else {
            c.push_back(
                {{(i * 37) % 100, (i * 23) % 180, (i * 37) % 100 + 199, (i * 23) % 180 + 39}, 1}); // 200 × 40
            if (i % 3 == 0) c.push_back({{10 + i, 5, 10 + i + 63, 5 + 63}, 2}); // 64 × 64 photo
            if (i % 4 == 1) c.push_back({{W - 1, H - 1, W - 1, H - 1}, 0});     // one pixel
            if (i % 5 == 2) c.push_back({{0, 100, 15, 299 - 100}, 0});          // 16 × 100 flat
        }
        frames.push_back(c);
    }
    return frames;
}

struct Recording {
    std::vector<PixelBuffer> truth;
    std::vector<std::uint8_t> data;
    std::vector<std::uint64_t> index;
    std::vector<FrameChunkStart> starts;
    std::int64_t histogramTotal = 0;
    std::int64_t pixelsQueued = 0;
    int pointerRecords = 0;
};

std::vector<std::uint64_t> readIndex(const std::string& path) {
    const auto bytes = readFile(path);
    std::vector<std::uint64_t> out;
    for (std::size_t i = 0; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t v = 0;
        for (int b = 7; b >= 0; --b) v = v << 8 | bytes[i + std::size_t(b)];
        out.push_back(v);
    }
    return out;
}

// Records the script with the capture side on this thread and a pointer thread beside it.
Recording record(const std::string& folder, bool compressed) {
    Recording rec;
    CaptureWriter writer({folder, compressed, 80, false, 0});
    EXPECT_TRUE(writer.createFiles());
    EXPECT_TRUE(writer.startCapture(W, H, compressed));
    PixelBuffer last(W, H, 0x00010101); // the first grab differs everywhere
    std::atomic<bool> capturing{true};
    std::atomic<int> pointerRecords{0};
    std::atomic<std::int64_t> pointerPixels{0};
    std::thread pointer;
    const auto frames = script();
    for (int i = 0; i < int(frames.size()); ++i) {
        PixelBuffer now = last;
        for (const Change& c : frames[std::size_t(i)]) paintScene(now, c.rect, c.kind, i);
        EXPECT_TRUE(writer.frameStarted(i));
        for (const Change& c : frames[std::size_t(i)]) {
            EXPECT_TRUE(writer.queueMessage(rectMessage(MessageType::Before, c.rect, cut(last, c.rect))));
            EXPECT_TRUE(writer.queueMessage(rectMessage(MessageType::After, c.rect, cut(now, c.rect))));
            rec.pixelsQueued += 2 * std::int64_t(c.rect.area());
        }
        if (i % 6 == 5) {
            WriterMessage idle;
            idle.type = MessageType::Idle;
            idle.value = 50;
            EXPECT_TRUE(writer.queueMessage(std::move(idle)));
        }
        if (i == 0) {
            pointer = std::thread([&] {
                int n = 0;
                while (capturing.load()) {
                    const PixelRect r{n % 300 - 5, n % 200, n % 300 - 5 + 31, n % 200 + 31};
                    if (writer.queueMessage(rectMessage(MessageType::Pointer, r, desktop(32, 32, n), 3))) {
                        ++pointerRecords;
                        pointerPixels += 32 * 32;
                    }
                    WriterMessage idle;
                    idle.type = MessageType::Idle;
                    idle.value = 2;
                    writer.queueMessage(std::move(idle));
                    ++n;
                    std::this_thread::sleep_for(std::chrono::microseconds(300));
                }
            });
        }
        rec.truth.push_back(now);
        last = std::move(now);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    capturing = false;
    pointer.join();
    EXPECT_TRUE(writer.finish());
    EXPECT_TRUE(writer.drained());
    EXPECT_EQ(writer.pendingBytes(), 0);
    EXPECT_EQ(writer.droppedMessages(), 0);
    rec.pointerRecords = pointerRecords.load();
    rec.pixelsQueued += pointerPixels.load();
    for (auto v : writer.histogram()) rec.histogramTotal += v;
    rec.data = readFile(writer.dataPath());
    rec.index = readIndex(writer.indexPath());
    rec.starts = writer.frameStarts();
    EXPECT_EQ(std::int64_t(rec.data.size()), writer.dataPosition());
    return rec;
}

struct Painted {
    PixelBuffer picture;
    PixelBuffer lossy; // 1 where the pixel came from a JPEG block
};

void paintWithMask(Painted& p, const std::vector<DecodedRect>& rects) {
    for (const DecodedRect& r : rects) {
        paintRect(p.picture, r);
        DecodedRect m = r;
        std::fill(m.pixels.begin(), m.pixels.end(), r.rowMajor ? 1u : 0u);
        paintRect(p.lossy, m);
    }
}

// Exact where zlib or run-length data painted (red's lowest bit masked for run-length), within a
// PSNR bound where JPEG did.
void expectMatches(const Painted& p, const PixelBuffer& truth, bool compressed, int frame) {
    std::vector<std::uint32_t> lossyGot, lossyWant;
    int mismatches = 0;
    for (std::size_t i = 0; i < truth.pixels.size(); ++i) {
        if (p.lossy.pixels[i]) {
            lossyGot.push_back(p.picture.pixels[i]);
            lossyWant.push_back(truth.pixels[i]);
            continue;
        }
        const std::uint32_t want = compressed ? truth.pixels[i] : truth.pixels[i] & 0x00FEFFFF;
        if (p.picture.pixels[i] != want) ++mismatches;
    }
    EXPECT_EQ(mismatches, 0) << "frame " << frame;
    if (!lossyGot.empty()) {
        EXPECT_TRUE(compressed);
        EXPECT_GT(psnr(lossyGot, lossyWant), 32.0) << "frame " << frame;
    }
}

void checkRecording(const Recording& rec, bool compressed) {
    const std::size_t n = rec.truth.size();
    ASSERT_EQ(rec.index.size(), n);
    ASSERT_EQ(rec.starts.size(), n);
    EXPECT_EQ(rec.index[0], (0xFFull << 56) | 22); // the first entry carries the mark
    EXPECT_EQ(rec.histogramTotal, rec.pixelsQueued);
    EXPECT_GT(rec.pointerRecords, 0);
    std::vector<DecodedChunk> chunks;
    int jpegRects = 0, pointers = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t start = rec.index[k] & ~(0xFFull << 56);
        const std::size_t end = k + 1 < n ? rec.index[k + 1] : rec.data.size();
        EXPECT_EQ(rec.starts[k].position, std::int64_t(start));
        EXPECT_EQ(rec.starts[k].compressed, compressed);
        ASSERT_LE(start, end);
        chunks.push_back(decodeChunk(std::span(rec.data).subspan(start, end - start),
                                     compressed ? PixelEncoding::Block : PixelEncoding::Rle24, W, H));
        EXPECT_FALSE(chunks.back().failed) << "frame " << k;
        for (const auto& r : chunks.back().after) jpegRects += r.rowMajor;
        pointers += chunks.back().pointer.has_value();
    }
    EXPECT_EQ(jpegRects > 0, compressed);
    EXPECT_GT(pointers, 0);

    // Forwards from the key image, then backwards to it.
    Painted p{PixelBuffer(W, H, 0), PixelBuffer(W, H, 0)};
    for (std::size_t k = 0; k < n; ++k) {
        paintWithMask(p, chunks[k].after);
        expectMatches(p, rec.truth[k], compressed, int(k));
    }
    for (std::size_t k = n - 1; k > 0; --k) {
        paintWithMask(p, chunks[k].before);
        expectMatches(p, rec.truth[k - 1], compressed, int(k - 1));
    }
    // The second key image shows without the frames before it.
    Painted key{PixelBuffer(W, H, 0x00FF00FF), PixelBuffer(W, H, 0)};
    paintWithMask(key, chunks[12].after);
    expectMatches(key, rec.truth[12], compressed, 12);
}

TEST(ImageCaptureWriter, RecordingFromTwoThreadsDecodesBothWaysRunLength) {
    TempFolder dir;
    checkRecording(record(dir.path(), false), false);
}

TEST(ImageCaptureWriter, RecordingFromTwoThreadsDecodesBothWaysBlocks) {
    TempFolder dir;
    checkRecording(record(dir.path(), true), true);
}

TEST(ImageCaptureWriter, FilesHaveTheirPrefixesAndTheHeaderChunk) {
    TempFolder dir;
    {
        CaptureWriter writer({dir.path(), false, 80, false, 0});
        ASSERT_TRUE(writer.createFiles());
        const auto data = std::filesystem::path(writer.dataPath()).filename().string();
        const auto index = std::filesystem::path(writer.indexPath()).filename().string();
        EXPECT_EQ(data.substr(0, 3), "DMO");
        EXPECT_EQ(index.substr(0, 3), "DIX");
        EXPECT_EQ(data.size(), 3 + 6 + 4u);
        EXPECT_EQ(data.substr(9), ".tmp");
        EXPECT_EQ(std::filesystem::path(writer.dataPath()).parent_path(), std::filesystem::path(dir.path()));
        ASSERT_TRUE(writer.startCapture(1024, 768, true));
        EXPECT_TRUE(writer.finish());
        const auto bytes = readFile(writer.dataPath());
        const std::vector<std::uint8_t> expected = {'T', 'a', 'v', 'l', 'o', '0', '8', '.', '6', '6', 0,
                                                    0,   0,   0,   0,   0,   1,   0,   0,   4,   0,   3};
        EXPECT_EQ(bytes, expected);
    }
    const auto sound = createTempFile(dir.path(), kSoundPrefix);
    ASSERT_TRUE(sound.has_value());
    EXPECT_EQ(std::filesystem::path(sound->path).filename().string().substr(0, 3), "WAV");
    ::close(sound->fd);

    CaptureWriter nowhere({dir.file("missing/folder"), false, 80, false, 0});
    EXPECT_FALSE(nowhere.createFiles());
}

TEST(ImageCaptureWriter, MessagesAreRefusedBeforeTheStartAndAfterTheStop) {
    TempFolder dir;
    CaptureWriter writer({dir.path(), false, 80, false, 0});
    ASSERT_TRUE(writer.createFiles());
    EXPECT_FALSE(writer.frameStarted(0));
    ASSERT_TRUE(writer.startCapture(64, 64, false));
    EXPECT_TRUE(writer.frameStarted(0));
    writer.requestStop();
    EXPECT_FALSE(writer.frameStarted(1));
    EXPECT_TRUE(writer.finish());
    EXPECT_EQ(writer.frameStarts().size(), 1u);
}

TEST(ImageCaptureWriter, CancelledCompressionStoresTheNextFramesAsRunLength) {
    TempFolder dir;
    CaptureWriter writer({dir.path(), true, 80, false, 0});
    ASSERT_TRUE(writer.createFiles());
    ASSERT_TRUE(writer.startCapture(64, 64, true, false)); // direct form, no thread
    const PixelRect all{0, 0, 63, 63};
    ASSERT_TRUE(writer.writeDirect(rectMessage(MessageType::FrameStart, {}, {}, 0)));
    ASSERT_TRUE(writer.writeDirect(rectMessage(MessageType::After, all, desktop(64, 64))));
    writer.cancelCompression();
    ASSERT_TRUE(writer.writeDirect(
        rectMessage(MessageType::After, all, flat(64, 64, 5)))); // same frame: still a block
    ASSERT_TRUE(writer.writeDirect(rectMessage(MessageType::FrameStart, {}, {}, 1)));
    ASSERT_TRUE(writer.writeDirect(rectMessage(MessageType::After, all, flat(64, 64, 0x00FF0000))));
    ASSERT_TRUE(writer.flush());
    const auto& starts = writer.frameStarts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_TRUE(starts[0].compressed);
    EXPECT_FALSE(starts[1].compressed);
    const auto data = readFile(writer.dataPath());
    const auto c0 = decodeChunk(std::span(data).subspan(22, std::size_t(starts[1].position) - 22),
                                PixelEncoding::Block, 64, 64);
    const auto c1 =
        decodeChunk(std::span(data).subspan(std::size_t(starts[1].position)), PixelEncoding::Rle24, 64, 64);
    EXPECT_FALSE(c0.failed);
    EXPECT_EQ(c0.after.size(), 2u);
    EXPECT_FALSE(c1.failed);
    ASSERT_EQ(c1.after.size(), 1u);
    EXPECT_EQ(c1.after[0].pixels, flat(64, 64, 0x00FE0000));
}

TEST(ImageCaptureWriter, ContinuousRecordingRotatesOverTwentySegments) {
    TempFolder dir;
    CaptureWriter writer({dir.path(), false, 80, true, 0});
    ASSERT_TRUE(writer.createFiles());
    ASSERT_EQ(writer.segments().size(), std::size_t(kSegmentCount));
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
    EXPECT_EQ(files, 2 * kSegmentCount);
    ASSERT_TRUE(writer.startCapture(32, 32, false));
    const PixelRect all{0, 0, 31, 31};
    int frame = 0;
    // 23 switches: the last one reuses segment 3 after segment 2, the oldest is overwritten.
    for (int s = 0; s <= 23; ++s) {
        if (s > 0) {
            ASSERT_TRUE(writer.queueMessage(rectMessage(MessageType::NextSegment, {}, {})));
        }
        for (int f = 0; f < 3; ++f, ++frame) {
            ASSERT_TRUE(writer.frameStarted(frame));
            ASSERT_TRUE(writer.queueMessage(
                rectMessage(MessageType::After, all, flat(32, 32, std::uint32_t(frame) << 1))));
        }
    }
    ASSERT_TRUE(writer.finish());
    EXPECT_EQ(writer.currentSegment(), 23 % kSegmentCount);
    const SegmentFiles& cur = writer.segments()[std::size_t(writer.currentSegment())];
    EXPECT_EQ(cur.firstFrame, 69);
    EXPECT_EQ(cur.startPosition, 0);
    EXPECT_EQ(cur.sequence, 24u);
    const auto index = readIndex(cur.index.path);
    const auto data = readFile(cur.data.path);
    ASSERT_EQ(index.size(), 3u); // the segment was emptied before its reuse
    EXPECT_EQ(index[0], 0u);     // no mark in continuous recording: a segment's start is remembered
    for (int f = 0; f < 3; ++f) {
        const std::size_t end = f < 2 ? index[std::size_t(f) + 1] : data.size();
        const auto c =
            decodeChunk(std::span(data).subspan(index[std::size_t(f)], end - index[std::size_t(f)]),
                        PixelEncoding::Rle24, 32, 32);
        ASSERT_EQ(c.after.size(), 1u);
        EXPECT_EQ(c.after[0].pixels[0], std::uint32_t(69 + f) << 1);
    }
    const auto& starts = writer.frameStarts();
    ASSERT_EQ(starts.size(), 72u);
    EXPECT_EQ(starts[71].segment, 3);
    EXPECT_EQ(starts[71].sequence, 24u);
    EXPECT_EQ(starts[10].segment, 3);
    EXPECT_EQ(starts[10].sequence, 4u); // that use of segment 3 is gone
    EXPECT_EQ(readFile(writer.segments()[4].data.path).size(), 3u * (1 + 8 + 5));
}

TEST(ImageCaptureWriter, StagingRingWritesEverythingInOrder) {
    TempFolder dir;
    std::vector<std::uint8_t> payload(310'000);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(i * 131 + (i >> 9));
    struct Case {
        const char* name;
        std::size_t capacity;
        std::vector<std::size_t> puts; // sizes, with a flush after each
        bool flushEach;
    } cases[] = {
        {"one message far bigger than the ring", 65536, {200'000}, true},
        {"messages that wrap around", 70'000, {60'000, 20'000, 30'000, 199'999, 1}, false},
        {"flushed after every message", 70'000, {60'000, 20'000, 30'000}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path =
            dir.file(std::string("ring") + std::to_string(c.capacity) + (c.flushEach ? "f" : ""));
        const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0600);
        ASSERT_GE(fd, 0);
        StagingRing ring(c.capacity);
        std::size_t at = 0;
        for (std::size_t n : c.puts) {
            ASSERT_TRUE(ring.put(fd, payload.data() + at, n));
            EXPECT_LE(ring.staged(), ring.capacity());
            at += n;
            if (c.flushEach) {
                ASSERT_TRUE(ring.flush(fd));
            }
        }
        ASSERT_TRUE(ring.flush(fd));
        EXPECT_EQ(ring.staged(), 0u);
        ::close(fd);
        EXPECT_EQ(readFile(path),
                  std::vector<std::uint8_t>(payload.begin(), payload.begin() + std::ptrdiff_t(at)));
    }
    EXPECT_GE(StagingRing::defaultCapacity(), std::size_t(1) << 20);
    EXPECT_LE(StagingRing::defaultCapacity(), 20'000'000u);
}

} // namespace
} // namespace tavlo::project

#include "core/timed_lock.h"

namespace tavlo::project {
namespace {

TEST(ImageCaptureWriter, TimedLockGivesUpWithoutTakingTheLock) {
    TimedLock lock;
    lock.lock();
    std::atomic<int> state{0};
    std::thread other([&] {
        state = lock.try_lock_for(std::chrono::milliseconds(20)) ? 1 : 2; // held: gives up
        if (lock.try_lock_for(std::chrono::seconds(10))) {                // released below
            state = 3;
            lock.unlock();
        }
    });
    while (state.load() == 0) std::this_thread::yield();
    EXPECT_EQ(state.load(), 2);
    EXPECT_FALSE(lock.try_lock());
    lock.unlock();
    other.join();
    EXPECT_EQ(state.load(), 3);
    EXPECT_TRUE(lock.try_lock());
    lock.unlock();
}

} // namespace
} // namespace tavlo::project

namespace tavlo::project {
namespace {

TEST(ImageCaptureWriter, MessagesThatCannotBeRecordsAreDropped) {
    TempFolder dir;
    CaptureWriter writer({dir.path(), false, 80, false, 0});
    ASSERT_TRUE(writer.createFiles());
    ASSERT_TRUE(writer.startCapture(32, 32, false, false));
    ASSERT_TRUE(writer.writeDirect(rectMessage(MessageType::FrameStart, {}, {}, 0)));
    EXPECT_FALSE(
        writer.writeDirect(rectMessage(MessageType::After, {20, 0, 39, 9}, flat(20, 10, 1)))); // outside
    EXPECT_FALSE(writer.writeDirect(rectMessage(MessageType::After, {0, 0, 9, 9}, flat(9, 10, 1)))); // short
    EXPECT_FALSE(writer.writeDirect(rectMessage(MessageType::After, {5, 5, 4, 9}, {})));             // empty
    // A pointer picture may reach past the frame's edges.
    EXPECT_TRUE(writer.writeDirect(rectMessage(MessageType::Pointer, {-4, 20, 27, 51}, flat(32, 32, 2), 5)));
    EXPECT_TRUE(writer.writeDirect(rectMessage(MessageType::After, {0, 0, 9, 9}, flat(10, 10, 4))));
    ASSERT_TRUE(writer.flush());
    EXPECT_EQ(writer.droppedMessages(), 3);
    const auto data = readFile(writer.dataPath());
    const auto c = decodeChunk(std::span(data).subspan(22), PixelEncoding::Rle24, 32, 32);
    EXPECT_FALSE(c.failed);
    ASSERT_EQ(c.after.size(), 1u);
    EXPECT_EQ(c.after[0].pixels, flat(10, 10, 4));
    EXPECT_TRUE(c.pointer.has_value());
}

TEST(ImageCaptureWriter, OnlyTheFirstFrameIsMarkedEvenWhenFrameNumbersWrap) {
    TempFolder dir;
    CaptureWriter writer({dir.path(), false, 80, false, 0});
    ASSERT_TRUE(writer.createFiles());
    ASSERT_TRUE(writer.startCapture(16, 16, false, false));
    const int frames = 65536 + 3; // the 16-bit frame number of the message wraps to 0 at 65,536
    for (int f = 0; f < frames; ++f) {
        WriterMessage m;
        m.type = MessageType::FrameStart;
        m.value = static_cast<std::uint16_t>(f);
        ASSERT_TRUE(writer.writeDirect(m));
        if (f % 1000 == 0) {
            WriterMessage idle;
            idle.type = MessageType::Idle;
            idle.value = 1;
            ASSERT_TRUE(writer.writeDirect(idle));
        }
    }
    ASSERT_TRUE(writer.flush());
    const auto index = readIndex(writer.indexPath());
    ASSERT_EQ(index.size(), std::size_t(frames));
    int marked = 0;
    for (auto e : index) marked += (e >> 56) == 0xFF;
    EXPECT_EQ(marked, 1);
    EXPECT_EQ(index[0] >> 56, 0xFFu);
    EXPECT_EQ(writer.frameStarts().back().frameNumber, frames - 1);
    EXPECT_EQ(std::int64_t(index[65536]), writer.frameStarts()[65536].position);
}

} // namespace
} // namespace tavlo::project
