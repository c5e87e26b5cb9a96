// The project section of a long recording: saving and loading must stay far below a second for
// tens of thousands of frames.
#include "project/project.h"
#include "project/project_section.h"

#include <benchmark/benchmark.h>

namespace {

void fill(tavlo::project::Project& p, int frames) {
    tavlo::project::CaptureContext c;
    c.width = 1920;
    c.height = 1080;
    p.frameWidth = c.width;
    p.frameHeight = c.height;
    for (int i = 0; i < frames; ++i) {
        tavlo::project::FrameNode& f = p.appendCapturedFrame(c);
        if (i % 10 == 0) {
            f.data.bubbleText = u"A talk bubble with a sentence of ordinary length in it.";
            f.data.bubblePlainText = f.data.bubbleText;
            f.data.bubbleFont = tavlo::project::defaultBubbleFont();
        }
    }
}

void BM_WriteSection(benchmark::State& state) {
    tavlo::project::Project p;
    fill(p, int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(tavlo::project::writeProjectSection(p));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteSection)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_ReadSection(benchmark::State& state) {
    tavlo::project::Project p;
    fill(p, int(state.range(0)));
    const std::string section = tavlo::project::writeProjectSection(p);
    for (auto _ : state) {
        tavlo::project::Project q;
        q.frameWidth = 1920;
        q.frameHeight = 1080;
        int version = 0;
        benchmark::DoNotOptimize(tavlo::project::readProjectSection(section, q, version));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadSection)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace
