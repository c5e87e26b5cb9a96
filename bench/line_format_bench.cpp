// The line form carries the per-frame values of project files with thousands of frames.
#include "core/line_format.h"

#include <benchmark/benchmark.h>

namespace {

void BM_WriteAndReadLines(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        tavlo::LineWriter w;
        for (int i = 0; i < n; ++i) {
            w.putInt(i * 7);
            w.putFloat(i * 0.25);
            w.putString("frame sound.wav");
        }
        tavlo::LineReader r(w.bytes());
        int v;
        double f;
        std::string s;
        long long sum = 0;
        for (int i = 0; i < n; ++i) {
            r.getInt(v);
            r.getFloat(f);
            r.getString(s);
            sum += v;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * n * 3);
}
BENCHMARK(BM_WriteAndReadLines)->Arg(10000);

} // namespace
