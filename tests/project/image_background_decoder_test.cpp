#include "project/image/background_decoder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace tavlo::project {
namespace {

using namespace std::chrono_literals;

// Frames of equal decoded size; each frame's state behind its own lock, as the frame caches are.
class FakeSource : public PrefetchSource {
public:
    FakeSource(int count, std::size_t size) : frames_(std::size_t(count)), size_(size) {}
    int frameCount() const override { return int(frames_.size()); }
    bool located(int f) const override {
        std::lock_guard lock(frames_[std::size_t(f)].mutex);
        return frames_[std::size_t(f)].located;
    }
    bool decoded(int f) const override {
        std::lock_guard lock(frames_[std::size_t(f)].mutex);
        return frames_[std::size_t(f)].decoded;
    }
    std::size_t decode(int f) override {
        if (saving.load()) touchedWhileSaving = true;
        std::this_thread::sleep_for(200us);
        {
            std::lock_guard lock(frames_[std::size_t(f)].mutex);
            if (frames_[std::size_t(f)].broken) return 0;
            frames_[std::size_t(f)].decoded = true;
        }
        std::lock_guard lock(logMutex_);
        decodes_.push_back(f);
        return size_;
    }
    void evict(int f) override {
        if (saving.load()) touchedWhileSaving = true;
        std::lock_guard lock(frames_[std::size_t(f)].mutex);
        frames_[std::size_t(f)].decoded = false;
        ++evictions;
    }
    void setLocated(int f, bool v) {
        std::lock_guard lock(frames_[std::size_t(f)].mutex);
        frames_[std::size_t(f)].located = v;
    }
    void setBroken(int f) {
        std::lock_guard lock(frames_[std::size_t(f)].mutex);
        frames_[std::size_t(f)].broken = true;
    }
    std::vector<int> decodes() const {
        std::lock_guard lock(logMutex_);
        return decodes_;
    }
    int decodedCount() const {
        int n = 0;
        for (int f = 0; f < frameCount(); ++f) n += decoded(f);
        return n;
    }

    std::atomic<bool> saving{false};
    std::atomic<bool> touchedWhileSaving{false};
    std::atomic<int> evictions{0};

private:
    struct Frame {
        mutable std::mutex mutex;
        bool located = true;
        bool decoded = false;
        bool broken = false;
    };
    std::vector<Frame> frames_;
    std::size_t size_;
    mutable std::mutex logMutex_;
    std::vector<int> decodes_;
};

// Waits until the decoder has nothing left to do (no decode for a while).
void settle(BackgroundDecoder& d) {
    while (d.waitDecoded(100ms)) {
    }
}

TEST(ImageBackgroundDecoder, DecodesForwardFromTheWantedFrame) {
    FakeSource src(30, 100);
    src.setLocated(20, false); // not located yet: walked past
    BackgroundDecoder dec(src, 100 * 1000);
    dec.setWanted(10); // before the start: it begins at the shown frame
    dec.start();
    settle(dec);
    std::vector<int> expected;
    for (int f = 10; f < 30; ++f)
        if (f != 20) expected.push_back(f);
    EXPECT_EQ(src.decodes(), expected);
    EXPECT_EQ(dec.cachedPixels(), expected.size() * 100);

    dec.setWanted(6, 2); // the wanted frame, two frames back, then forwards
    settle(dec);
    const auto all = src.decodes();
    ASSERT_EQ(all.size(), expected.size() + 6);
    EXPECT_EQ(std::vector<int>(all.end() - 6, all.end()), (std::vector<int>{6, 5, 4, 7, 8, 9}));
    dec.stop();
}

TEST(ImageBackgroundDecoder, KeepsWithinTheBudgetAndNeverDropsTheShownFrame) {
    FakeSource src(100, 100);
    BackgroundDecoder dec(src, 100 * 10); // room for ten frames
    dec.start();
    dec.setWanted(0);
    settle(dec);
    // It fills the budget, then stops once the shown frame would be the next to go.
    EXPECT_LE(src.decodedCount(), 11);
    EXPECT_TRUE(src.decoded(0));
    EXPECT_LE(dec.cachedPixels(), 100u * 11);

    dec.setWanted(50);
    settle(dec);
    EXPECT_TRUE(src.decoded(50));
    EXPECT_TRUE(src.decoded(51));
    EXPECT_GT(src.evictions.load(), 0);
    EXPECT_LE(src.decodedCount(), 11);
    dec.stop();
}

TEST(ImageBackgroundDecoder, PauseWaitsUntilTheDecoderHasStopped) {
    FakeSource src(2000, 1);
    BackgroundDecoder dec(src, 1'000'000);
    dec.start();
    for (int round = 0; round < 5; ++round) {
        dec.setWanted(round * 300);
        std::this_thread::sleep_for(2ms); // let it be in the middle of its walk
        dec.pause();
        EXPECT_TRUE(dec.paused());
        src.saving = true; // from here on nothing may touch the frames
        const int before = int(src.decodes().size());
        std::this_thread::sleep_for(10ms);
        EXPECT_EQ(int(src.decodes().size()), before);
        src.saving = false;
        dec.resume();
    }
    EXPECT_FALSE(src.touchedWhileSaving.load());
    dec.setWanted(1990);
    settle(dec);
    EXPECT_TRUE(src.decoded(1999));
    dec.stop();
    dec.pause(); // a stopped decoder does not keep saving waiting
}

TEST(ImageBackgroundDecoder, AFrameThatFailsIsNotRetriedUntilForgotten) {
    FakeSource src(5, 10);
    src.setBroken(2);
    BackgroundDecoder dec(src, 1000);
    dec.start();
    dec.setWanted(0);
    settle(dec);
    EXPECT_EQ(src.decodes(), (std::vector<int>{0, 1, 3, 4}));
    dec.stop();
}

} // namespace
} // namespace tavlo::project
