// Throughput of the SWF layer's heavy paths: ADPCM encoding of narration, and writing a movie of
// many frame pictures through the bitmap cache.
#include "swf/adpcm.h"
#include "swf/movie.h"
#include "swf/shapes.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

class NoPrompts : public tavlo::UiPrompts {
public:
    void message(const std::string&, const std::string&, tavlo::Icon) override {}
    tavlo::Answer question(const std::string&, const std::string&, tavlo::Buttons, tavlo::Icon,
                           tavlo::Answer fallback) override {
        return fallback;
    }
    std::unique_ptr<tavlo::Progress> progress(const std::string&) override {
        return std::make_unique<tavlo::SilentProgress>();
    }
    std::optional<std::string> chooseFile(const tavlo::FileChoice&) override { return std::nullopt; }
};

void BM_AdpcmEncodeOneMinute(benchmark::State& state) {
    const size_t frames = 22050 * 60;
    std::vector<int16_t> samples(frames);
    for (size_t i = 0; i < frames; ++i) samples[i] = int16_t(8000 * std::sin(double(i) * 0.125));
    for (auto _ : state) benchmark::DoNotOptimize(tavlo::swf::encodeAdpcm(samples.data(), frames, 1, 4));
    state.SetItemsProcessed(int64_t(state.iterations() * frames));
}
BENCHMARK(BM_AdpcmEncodeOneMinute)->Unit(benchmark::kMillisecond);

// 500 frames, each with a 64 x 64 32-bit picture: cache on construction, copy into the file.
void BM_MovieOfFramePictures(benchmark::State& state) {
    NoPrompts prompts;
    std::vector<uint8_t> argb(64 * 64 * 4);
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = uint8_t(i * 7);
    std::string folder = "/tmp", out = "/tmp/tavlo_swf_bench.swf";
    for (auto _ : state) {
        tavlo::swf::SwfContext ctx(prompts);
        ctx.cache.open(folder);
        tavlo::swf::SwfMovie movie(ctx);
        std::vector<std::unique_ptr<tavlo::swf::SwfRectangle>> shapes;
        for (int f = 0; f < 500; ++f) {
            argb[0] = uint8_t(f);
            shapes.push_back(std::make_unique<tavlo::swf::SwfRectangle>(ctx, 0, 0, 1279, 1279, 5, 64, 64, 0,
                                                                        false, argb.data(), nullptr));
            movie.frame(f).place(*shapes.back());
        }
        movie.save(out);
    }
    std::remove(out.c_str());
}
BENCHMARK(BM_MovieOfFramePictures)->Unit(benchmark::kMillisecond);

} // namespace
