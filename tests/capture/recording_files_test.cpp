// The whole capture path into real capture files: a scripted screen, the capture session, the
// frame-store writer thread; then every frame is decoded from the files and compared with the
// screen it was grabbed from, going forwards and backwards.
#include "capture/capture_queue.h"
#include "capture/capture_session.h"

#include "project/image/chunk_decoder.h"
#include "tests/support/synthetic_scene.h"
#include "tests/support/temp_home.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tavlo::capture {
namespace {

struct Recorded {
    std::vector<std::vector<std::uint32_t>> truth; // the screen at each grab that made a frame
    std::vector<project::DecodedChunk> chunks;
};

Recorded record(bool compressed, const std::string& folder) {
    test::SyntheticScene scene(256, 160, 3);
    scene.fillAt(150, {10, 10, 90, 60}, 0x00FF8000);
    scene.noiseAt(350, {120, 40, 220, 120}); // photographic: JPEG when compressed
    scene.scrollAt(550, {0, 130, 256, 160}, 4);
    scene.fillAt(750, {0, 0, 256, 160}, 0x00224466);
    scene.fillAt(850, {30, 30, 31, 31}, 0x00FFFFFF);

    project::CaptureWriter writer(project::CaptureOptions{folder, compressed, 80, false, 0});
    WriterQueue queue(writer, compressed);
    project::Project proj;
    CaptureSettings settings;
    settings.captureRate = 10;
    settings.compressed = compressed;
    settings.recordPointer = false;
    CaptureSession session(proj, queue, scene, nullptr, nullptr, scene, settings);
    std::string error;
    EXPECT_TRUE(session.begin(error)) << error;
    for (int t = 0; t < 1000; t += session.schedule().periodMs) {
        scene.advance(session.schedule().periodMs);
        session.tick();
    }
    EXPECT_TRUE(writer.finish());
    EXPECT_EQ(queue.refused(), 0);

    Recorded out;
    const std::vector<std::uint32_t>* prev = nullptr;
    for (const auto& g : scene.grabs()) {
        if (!prev || *prev != g.pixels) out.truth.push_back(g.pixels);
        prev = &g.pixels;
    }
    const auto& starts = writer.frameStarts();
    EXPECT_EQ(int(starts.size()), proj.frameCount());
    struct stat st {};
    fstat(writer.segments()[0].data.fd, &st);
    for (std::size_t i = 0; i < starts.size(); ++i) {
        std::int64_t end = i + 1 < starts.size() ? starts[i + 1].position : st.st_size;
        auto enc = starts[i].compressed ? project::PixelEncoding::Block : project::PixelEncoding::Rle24;
        out.chunks.push_back(project::decodeChunkFromFile(writer.segments()[0].data.fd, starts[i].position,
                                                          end, enc, 256, 160));
    }
    writer.closeFiles();
    return out;
}

double psnr(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    double se = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int s = 0; s < 24; s += 8) {
            double d = double((a[i] >> s) & 0xFF) - double((b[i] >> s) & 0xFF);
            se += d * d;
        }
    double mse = se / (a.size() * 3.0);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

TEST(RecordingFiles, EveryFrameDecodesToTheScreenForwardsAndBackwards) {
    for (bool compressed : {false, true}) {
        SCOPED_TRACE(compressed ? "compressed blocks" : "24-bit run-length");
        test::TempHome home;
        Recorded r = record(compressed, home.root());
        ASSERT_EQ(r.truth.size(), r.chunks.size());
        ASSERT_GE(r.chunks.size(), 5u);
        // 24-bit run-length keeps red's lowest bit for itself; blocks may be JPEG.
        auto same = [&](const std::vector<std::uint32_t>& got, const std::vector<std::uint32_t>& want) {
            if (compressed) return psnr(got, want) > 30.0;
            for (std::size_t i = 0; i < got.size(); ++i)
                if ((got[i] & 0x00FEFFFF) != (want[i] & 0x00FEFFFF)) return false;
            return true;
        };
        project::PixelBuffer pic(256, 160);
        for (std::size_t i = 0; i < r.chunks.size(); ++i) {
            EXPECT_FALSE(r.chunks[i].failed) << "frame " << i + 1;
            project::paintForward(pic, r.chunks[i]);
            EXPECT_TRUE(same(pic.pixels, r.truth[i])) << "forwards, frame " << i + 1;
        }
        for (std::size_t i = r.chunks.size() - 1; i > 0; --i) {
            project::paintBackward(pic, r.chunks[i]);
            EXPECT_TRUE(same(pic.pixels, r.truth[i - 1])) << "backwards, frame " << i;
        }
    }
}

} // namespace
} // namespace tavlo::capture
