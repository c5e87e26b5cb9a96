#include "capture/capture_session.h"

#include "tests/support/synthetic_scene.h"

#include <gtest/gtest.h>
#include <set>

namespace tavlo::capture {
namespace {

// Keeps every message and rebuilds the pictures the way a decoder paints them.
class RecordingQueue : public CaptureQueue {
public:
    bool open(int width, int height, bool, std::string& error) override {
        if (failOpen) {
            error = "";
            return false;
        }
        w = width;
        h = height;
        return true;
    }
    void push(WriterMessage m) override {
        written += std::int64_t(m.pixels.size()) * 3;
        messages.push_back(std::move(m));
    }
    std::int64_t pendingBytes() const override { return pending; }
    std::int64_t bytesWritten() const override { return written; }

    // The picture after each frame: type-2 rectangles painted in order over the previous picture.
    std::vector<std::vector<std::uint32_t>> pictures() const {
        std::vector<std::vector<std::uint32_t>> out;
        std::vector<std::uint32_t> pic(std::size_t(w) * h, 0);
        bool started = false;
        for (const auto& m : messages) {
            if (m.type == MessageType::FrameStart) {
                if (started) out.push_back(pic);
                started = true;
            } else if (m.type == MessageType::After) {
                std::size_t i = 0;
                for (int x = m.rect.left; x <= m.rect.right; ++x)
                    for (int y = m.rect.top; y <= m.rect.bottom; ++y)
                        pic[std::size_t(y) * w + x] = m.pixels[i++];
            }
        }
        if (started) out.push_back(pic);
        return out;
    }
    int count(MessageType t) const {
        return int(
            std::count_if(messages.begin(), messages.end(), [t](const auto& m) { return m.type == t; }));
    }

    bool failOpen = false;
    int w = 0, h = 0;
    std::int64_t pending = 0, written = 0;
    std::vector<WriterMessage> messages;
};

struct Rig {
    test::SyntheticScene scene{320, 200};
    RecordingQueue queue;
    project::Project project;
    CaptureSettings settings;
    std::unique_ptr<CaptureSession> session;
    Rig() {
        settings.captureRate = 10;
        settings.pointerRate = 10;
        settings.recordPointer = false; // sampled inside the ticks: deterministic
    }
    void start(bool pointer = true) {
        session = std::make_unique<CaptureSession>(project, queue, scene, pointer ? &scene : nullptr,
                                                   pointer ? &scene : nullptr, scene, settings);
        std::string error;
        ASSERT_TRUE(session->begin(error)) << error;
    }
    void run(int ms) {
        const int period = session->schedule().periodMs;
        for (int t = 0; t < ms; t += period) {
            scene.advance(period);
            session->tick();
        }
    }
};

TEST(CaptureSession, EveryScreenFramePaintsBackToWhatWasOnTheScreen) {
    Rig r;
    r.scene.fillAt(120, {10, 10, 60, 40}, 0x00FF0000);
    r.scene.noiseAt(300, {100, 50, 180, 120});
    r.scene.scrollAt(500, {0, 150, 320, 200}, 3);
    r.scene.fillAt(700, {0, 0, 320, 200}, 0x00112233); // the whole screen: a key image
    r.start(false);
    r.run(1000);

    auto pics = r.queue.pictures();
    ASSERT_EQ(int(pics.size()), r.project.frameCount());
    // Each frame's picture equals the screen at the grab that made it (grabs without a change make
    // no frame, so match the frames to the grabs that changed something).
    std::vector<const test::SyntheticScene::Grab*> changing;
    const std::vector<std::uint32_t>* prev = nullptr;
    for (const auto& g : r.scene.grabs()) {
        if (!prev || *prev != g.pixels) changing.push_back(&g);
        prev = &g.pixels;
    }
    ASSERT_EQ(changing.size(), pics.size());
    for (std::size_t i = 0; i < pics.size(); ++i)
        EXPECT_TRUE(pics[i] == changing[i]->pixels) << "frame " << i + 1;

    // The first frame and the full-screen change are key images; times add up to the run.
    EXPECT_EQ(r.project.head()->frame.keyImage, 1);
    EXPECT_EQ(r.project.tail()->frame.keyImage, 1);
    int total = 0;
    for (const auto& f : r.project.frames()) total += f->frame.recordedTime;
    EXPECT_GE(total, 90);
    EXPECT_LE(total, 100);
}

TEST(CaptureSession, PointerMovesBecomeFramesWithPicturesAndClicks) {
    Rig r;
    r.scene.pointerPath(0, 20, 20, 1000, 220, 120);
    r.scene.clickAt(510);
    r.scene.shapeAt(600, 7);
    r.start(true);
    r.run(1000);

    ASSERT_GT(r.project.frameCount(), 5);
    EXPECT_GT(r.queue.count(MessageType::Pointer), 5);
    int clicks = 0, withPointer = 0;
    std::set<std::int32_t> handles;
    for (const auto& f : r.project.frames()) {
        if (f->frame.clickDown) ++clicks;
        if (f->frame.pointerHandle) {
            ++withPointer;
            handles.insert(f->frame.pointerHandle);
            EXPECT_EQ(f->frame.capturedPointerX, f->frame.pointerX);
        }
    }
    EXPECT_EQ(clicks, 1);
    EXPECT_GT(withPointer, 5);
    EXPECT_EQ(handles, (std::set<std::int32_t>{1, 7}));
    EXPECT_EQ(r.project.pointerShapes.shapes.size(), 2u);
    // The last pointer position is where the path ended, less the hot spot.
    EXPECT_EQ(r.project.tail()->frame.pointerX, 220 - 1);
    EXPECT_EQ(r.project.tail()->frame.pointerY, 120 - 1);
}

TEST(CaptureSession, PointerAtTheEdgeIsClampedAndOutsideOnlyCountsTime) {
    Rig r;
    r.scene.pointerPath(0, 318, 198, 10, 318, 198); // the picture reaches past the corner
    r.scene.pointerPath(500, 318, 198, 510, 900, 900);
    r.start(true);
    r.run(1000);
    bool sawEdge = false;
    for (const auto& m : r.queue.messages)
        if (m.type == MessageType::Pointer) {
            EXPECT_LE(m.rect.right, 319);
            EXPECT_LE(m.rect.bottom, 199);
            EXPECT_EQ(m.pixels.size(), m.rect.area());
            sawEdge = true;
        }
    EXPECT_TRUE(sawEdge);
    EXPECT_EQ(r.project.tail()->frame.pointerHandle, 0); // gone off the area
}

TEST(CaptureSession, LongIdleTimesAreSplitIntoRecordsThatFit) {
    Rig r;
    r.start(false);
    r.run(200);
    r.scene.advance(400000); // 400 s without a tick
    r.session->tick();
    int sum = 0;
    for (const auto& m : r.queue.messages)
        if (m.type == MessageType::Idle) {
            EXPECT_GT(m.value, 0);
            sum += m.value;
        }
    EXPECT_GE(sum, 40000);
    EXPECT_EQ(r.project.tail()->frame.recordedTime, r.project.tail()->frame.displayTime);
}

TEST(CaptureSession, ItStopsForAFullDiskAndRefusesAreasItCannotRecord) {
    Rig r;
    r.settings.freeDiskBytes = 6'553'600 + 1000;
    r.start(false);
    r.scene.noiseAt(150, {0, 0, 320, 200});
    r.run(400);
    EXPECT_EQ(r.session->stopRequest(), StopRequest::FullDisk);

    Rig outside;
    outside.settings.mode = 1;
    outside.settings.frameWindow = {400, 300, 500, 400};
    CaptureSession s(outside.project, outside.queue, outside.scene, nullptr, nullptr, outside.scene,
                     outside.settings);
    std::string error;
    EXPECT_FALSE(s.begin(error));
    EXPECT_EQ(error, "The capture area lies outside the screen.");

    Rig noFiles;
    noFiles.queue.failOpen = true;
    CaptureSession f(noFiles.project, noFiles.queue, noFiles.scene, nullptr, nullptr, noFiles.scene,
                     noFiles.settings);
    EXPECT_FALSE(f.begin(error));
    EXPECT_EQ(error, "Unable to open capture file");
}

TEST(CaptureSession, AreaInsideTheFrameWindowAndClampedToTheDesktop) {
    Rig r;
    r.settings.mode = 1;
    r.settings.frameWindow = {97, 47, 403, 253}; // reaches past the right edge
    r.start(false);
    EXPECT_EQ(r.session->area(), (Rect{100, 50, 320, 200}));
    EXPECT_EQ(r.project.frameWidth, 220);
}

} // namespace
} // namespace tavlo::capture
