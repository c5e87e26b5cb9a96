// Resizing a full-HD frame picture for a smaller or larger movie: once per published frame.
#include "movie/picture_scaling.h"

#include <benchmark/benchmark.h>

namespace {

using tavlo::project::PixelBuffer;

PixelBuffer desktop(int w, int h) {
    PixelBuffer p(w, h, 0xF0F0F0);
    std::uint32_t seed = 7;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x / 8 + y / 16) % 5 == 0) {
                seed = seed * 1103515245 + 12345;
                p.row(y)[x] = seed >> 8 & 0xFFFFFF; // "text"
            }
    return p;
}

// Every row new (a scene change).
void BM_ScalePicture(benchmark::State& state) {
    const PixelBuffer in = desktop(1920, 1080);
    for (auto _ : state) {
        tavlo::movie::PictureScaler scaler;
        benchmark::DoNotOptimize(scaler.scale(in, int(state.range(0)), int(state.range(1))).pixels.data());
    }
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScalePicture)->Args({1280, 720})->Args({960, 540})->Args({2560, 1440})->Unit(benchmark::kMillisecond);

// Typing: one text line (16 rows) changes between frames.
void BM_ScaleTypedLine(benchmark::State& state) {
    PixelBuffer a = desktop(1920, 1080), b = a;
    for (int y = 500; y < 516; ++y)
        for (int x = 100; x < 900; ++x) b.row(y)[x] ^= 0xFFFFFF;
    tavlo::movie::PictureScaler scaler;
    scaler.scale(a, 1280, 720);
    bool odd = false;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scaler.scale(odd ? a : b, 1280, 720).pixels.data());
        odd = !odd;
    }
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScaleTypedLine)->Unit(benchmark::kMillisecond);

} // namespace
