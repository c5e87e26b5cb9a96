// Publishing a 1920 x 1080, 600-frame recording of typical desktop work (typing, scrolling, a
// window moving) and, in the same run, the same frames through ffmpeg as an MJPEG SWF and as an
// H.264 MP4. Counters: frames per second, output bytes, and the ratios against ffmpeg.
#include "movie/movie_builder.h"
#include "movie/pointer_layers.h"
#include "platform/pointer_source.h"
#include "project/image/pixel_buffer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sys/resource.h>

namespace {

using namespace tavlo;
constexpr int kW = 1920, kH = 1080, kFrames = 600;

// The scene, painted from the frame number alone so every consumer sees the same frames.
void paintScene(int k, project::PixelBuffer& out) {
    if (out.width != kW) out = project::PixelBuffer(kW, kH);
    for (int y = 0; y < kH; ++y) { // wallpaper: a soft gradient with many colours
        std::uint32_t* row = out.row(y);
        for (int x = 0; x < kW; ++x)
            row[x] = (std::uint32_t(40 + x * 60 / kW) << 16) | (std::uint32_t(70 + y * 80 / kH) << 8) |
                     std::uint32_t(120 + (x + y) % 50);
    }
    auto fill = [&](int x0, int y0, int x1, int y1, std::uint32_t c) {
        for (int y = std::max(0, y0); y < std::min(kH, y1); ++y)
            std::fill(out.row(y) + std::max(0, x0), out.row(y) + std::min(kW, x1), c);
    };
    // An editor window: typed text grows by one glyph a frame, wrapping lines.
    fill(100, 100, 1100, 900, 0xFFFFFF);
    fill(100, 100, 1100, 130, 0x3050A0);
    const int glyphs = k;
    for (int g = 0; g < glyphs; ++g) {
        const int line = g / 90, col = g % 90;
        const int gx = 110 + col * 11, gy = 140 + (line % 40) * 18;
        const std::uint32_t seed = std::uint32_t(g) * 2654435761u;
        for (int py = 0; py < 12; ++py)
            for (int px = 0; px < 8; ++px)
                if ((seed >> ((py * 8 + px) % 29)) & 1) out.row(gy + py)[gx + px] = 0x202020;
    }
    // A log window that scrolls a line every other frame.
    fill(1200, 100, 1850, 700, 0xF4F4F4);
    const int scroll = k / 2;
    for (int line = 0; line < 33; ++line) {
        const int n = line + scroll;
        const int len = 20 + int((std::uint32_t(n) * 2654435761u >> 8) % 500);
        fill(1210, 110 + line * 18, 1210 + len, 110 + line * 18 + 10,
             0x606060 + std::uint32_t(n % 7) * 0x101010);
    }
    // A dialog that moves to a new place every 100 frames.
    const int d = k / 100;
    const int dx = 300 + (d * 173) % 900, dy = 300 + (d * 97) % 500;
    fill(dx, dy, dx + 400, dy + 200, 0xECECEC);
    fill(dx, dy, dx + 400, dy + 24, 0x2060C0);
    fill(dx + 300, dy + 160, dx + 380, dy + 190, 0xD0D0D0);
}

class SceneFrames : public movie::FrameSource {
public:
    bool picture(int index, project::PixelBuffer& out) override {
        paintScene(index, out);
        return true;
    }
};

std::uintmax_t sizeOf(const std::string& p) {
    std::error_code e;
    auto s = std::filesystem::file_size(p, e);
    return e ? 0 : s;
}

// Feeds the scene's frames to ffmpeg as raw video; the seconds it took.
double runFfmpeg(const std::string& args, const std::string& out) {
    const std::string cmd = "ffmpeg -loglevel error -y -f rawvideo -pix_fmt bgra -s " + std::to_string(kW) +
                            "x" + std::to_string(kH) + " -r 20 -i - " + args + " '" + out + "'";
    auto t0 = std::chrono::steady_clock::now();
    std::FILE* pipe = popen(cmd.c_str(), "w");
    if (!pipe) return -1;
    project::PixelBuffer pic;
    for (int k = 0; k < kFrames; ++k) {
        paintScene(k, pic);
        std::fwrite(pic.pixels.data(), 4, pic.pixels.size(), pipe);
    }
    if (pclose(pipe) != 0) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

class Silent : public UiPrompts {
public:
    void message(const std::string&, const std::string&, Icon) override {}
    Answer question(const std::string&, const std::string&, Buttons, Icon, Answer f) override { return f; }
    std::unique_ptr<Progress> progress(const std::string&) override {
        return std::make_unique<SilentProgress>();
    }
    std::optional<std::string> chooseFile(const FileChoice&) override { return std::nullopt; }
};

// Builds the scene's movie once per iteration; the seconds the last build took.
double timedBuilds(benchmark::State& state, project::Project& p, const movie::BuildRequest& request) {
    Silent ui;
    double seconds = 0;
    for (auto _ : state) {
        SceneFrames frames;
        auto t0 = std::chrono::steady_clock::now();
        movie::BuildResult r = movie::buildMovie(p, frames, ui, request);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (r.outcome != movie::BuildResult::Outcome::Written) state.SkipWithError(r.error.c_str());
    }
    return seconds;
}

void BM_PublishDesktopRecording(benchmark::State& state) {
    const std::string folder = std::filesystem::temp_directory_path() / "tavlo_movie_bench";
    std::filesystem::create_directories(folder);
    project::Project p;
    p.frameWidth = kW;
    p.frameHeight = kH;
    project::CaptureContext c;
    c.width = kW;
    c.height = kH;
    for (int k = 0; k < kFrames; ++k) {
        project::FrameNode& f = p.appendCapturedFrame(c);
        f.frame.displayTime = f.frame.recordedTime = 5; // 1/20 s: one SWF frame each
    }
    movie::BuildRequest request;
    request.outputPath = folder + "/desktop.swf";
    const double seconds = timedBuilds(state, p, request);
    const double tavloBytes = double(sizeOf(request.outputPath));
    state.counters["tavlo_fps"] = kFrames / seconds;
    state.counters["tavlo_bytes"] = tavloBytes;
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    state.counters["peak_rss_mb"] = double(u.ru_maxrss) / 1024.0;

    const std::string mjpeg = folder + "/ffmpeg_mjpeg.swf", h264 = folder + "/ffmpeg_h264.mp4";
    const double tMjpeg = runFfmpeg("-c:v mjpeg -f swf", mjpeg);
    const double tH264 = runFfmpeg("-c:v libx264 -preset veryfast -pix_fmt yuv420p", h264);
    if (tMjpeg > 0) {
        state.counters["time_vs_ffmpeg_mjpeg_swf"] = seconds / tMjpeg;
        state.counters["size_vs_ffmpeg_mjpeg_swf"] = tavloBytes / double(sizeOf(mjpeg));
    }
    if (tH264 > 0) {
        state.counters["time_vs_ffmpeg_h264"] = seconds / tH264;
        state.counters["size_vs_ffmpeg_h264"] = tavloBytes / double(sizeOf(h264));
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PublishDesktopRecording)->Unit(benchmark::kSecond)->Iterations(1);

// A 64 x 64 arrow: the shape that pointer layers are built from.
project::PointerShapeTable arrowTable() {
    project::PointerShapeTable t;
    t.present = true;
    t.width = t.height = 64;
    project::PointerShape s;
    s.handle = 1;
    s.pixels.assign(64 * 64, platform::kPointerTransparent);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x <= y / 2; ++x)
            s.pixels[std::size_t(y) * 64 + x] = x == 0 || x == y / 2 ? 0 : 0xFFFFFF;
    t.shapes.push_back(s);
    return t;
}

// Picture, shadow and halo of one 64 x 64 pointer, as every publish run builds them.
void BM_PointerLayers64(benchmark::State& state) {
    Silent ui;
    const project::PointerShapeTable table = arrowTable();
    movie::PointerLayerOptions o;
    o.halo = o.shadow = true;
    for (auto _ : state) {
        swf::SwfContext ctx(ui);
        movie::PointerLayers layers;
        layers.build(ctx, table, o);
        benchmark::DoNotOptimize(layers.find(1, 0));
    }
}
BENCHMARK(BM_PointerLayers64)->Unit(benchmark::kMillisecond);

// The desktop recording again with the pointer moving every frame and pressing every 50 frames
// (/1), and the same frames with the pointer switched off (/0): the pointer's cost is the
// difference of their tavlo_fps.
void BM_PublishPointerMotion(benchmark::State& state) {
    const std::string folder = std::filesystem::temp_directory_path() / "tavlo_movie_bench_pointer";
    std::filesystem::create_directories(folder);
    project::Project p;
    p.frameWidth = kW;
    p.frameHeight = kH;
    p.pointerShapes = arrowTable();
    project::CaptureContext c;
    c.width = kW;
    c.height = kH;
    for (int k = 0; k < kFrames; ++k) {
        project::FrameNode& f = p.appendCapturedFrame(c);
        f.frame.displayTime = f.frame.recordedTime = 10; // two SWF frames: the pointer moves between
        f.frame.pointerHandle = 1;
        f.frame.pointerX = 200 + k * 2;
        f.frame.pointerY = 150 + k;
        f.frame.pointerEndX = std::int16_t(202 + k * 2);
        f.frame.pointerEndY = std::int16_t(151 + k);
        f.frame.clickDown = k % 50 == 0;
    }
    movie::BuildRequest request;
    request.outputPath = folder + "/pointer.swf";
    request.options.pointerHalo = true;
    request.options.showPointer = state.range(0) != 0; // 0: the same frames without the pointer
    const double seconds = timedBuilds(state, p, request);
    state.counters["tavlo_fps"] = kFrames / seconds;
    state.counters["tavlo_bytes"] = double(sizeOf(request.outputPath));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PublishPointerMotion)->Arg(0)->Arg(1)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
