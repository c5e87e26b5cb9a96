// One capture tick at full HD: grab (a copy here, shared memory in a recording), the whole-picture
// comparison, the rectangle search and the copies of the changed pixels for the writer.
#include "capture/capture_session.h"
#include "capture/change_detection.h"

#include <benchmark/benchmark.h>
#include <cstring>

namespace {

using tavlo::capture::findChangedRectangles;

constexpr int W = 1920, H = 1080;

std::vector<std::uint32_t> desktop() {
    std::vector<std::uint32_t> p(std::size_t(W) * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) p[std::size_t(y) * W + x] = (y / 40 % 2) ? 0x00F0F0F0u : 0x00FFFFFFu;
    return p;
}

// A terminal line: 80 columns of text, 16 pixels high.
void typeLine(std::vector<std::uint32_t>& p, int frame) {
    const int y0 = 600 + (frame % 20) * 16;
    for (int y = y0; y < y0 + 16; ++y)
        for (int x = 100; x < 100 + 80 * 9; ++x)
            if ((x * 7 + y * 3 + frame) % 5 == 0) p[std::size_t(y) * W + x] ^= 0x00FFFFFFu;
}

// A 500 × 300 window moved by 12 pixels.
void moveWindow(std::vector<std::uint32_t>& p, int frame) {
    const int x0 = 300 + (frame % 30) * 12;
    for (int y = 200; y < 500; ++y)
        for (int x = x0 - 12; x < x0 + 512; ++x)
            p[std::size_t(y) * W + x] = (x >= x0 && x < x0 + 500) ? 0x003060C0u : 0x00FFFFFFu;
}

template <void (*Change)(std::vector<std::uint32_t>&, int)> void BM_FindChanges(benchmark::State& state) {
    auto before = desktop();
    auto after = before;
    int frame = 0;
    std::size_t rects = 0;
    for (auto _ : state) {
        state.PauseTiming();
        before = after;
        Change(after, frame++);
        state.ResumeTiming();
        // The whole-picture comparison that comes first in every grab.
        benchmark::DoNotOptimize(std::memcmp(before.data(), after.data(), before.size() * 4));
        rects += findChangedRectangles(before.data(), after.data(), W, H).size();
    }
    state.counters["rects"] = double(rects) / double(state.iterations());
}
BENCHMARK(BM_FindChanges<typeLine>)
    ->Name("Capture/FindChanges1080p/TerminalLine")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindChanges<moveWindow>)
    ->Name("Capture/FindChanges1080p/MovedWindow")
    ->Unit(benchmark::kMillisecond);

void BM_UnchangedScreen(benchmark::State& state) {
    auto a = desktop();
    auto b = a;
    for (auto _ : state) benchmark::DoNotOptimize(std::memcmp(a.data(), b.data(), a.size() * 4));
}
BENCHMARK(BM_UnchangedScreen)->Name("Capture/CompareUnchanged1080p")->Unit(benchmark::kMillisecond);

} // namespace

#include "platform/x11/x11_screen.h"

namespace {

// Needs an X display of at least 1920 × 1080 (scripts/bench starts one when there is none).
void BM_X11Grab1080p(benchmark::State& state) {
    std::string error;
    auto screen = tavlo::platform::x11::openScreen(error);
    if (!screen || screen->desktop().width() < W || screen->desktop().height() < H) {
        state.SkipWithError(screen ? "display smaller than 1920x1080" : error.c_str());
        return;
    }
    std::vector<std::uint32_t> out(std::size_t(W) * H);
    for (auto _ : state) benchmark::DoNotOptimize(screen->grab(tavlo::Rect{0, 0, W, H}, out.data()));
    state.counters["shm"] = screen->sharedMemory();
}
BENCHMARK(BM_X11Grab1080p)->Name("Capture/X11Grab1080p")->Unit(benchmark::kMillisecond);

} // namespace
