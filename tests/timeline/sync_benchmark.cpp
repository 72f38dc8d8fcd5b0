// Cost of one evaluation of the whole timeline (run by hand, not a test).
#include <benchmark/benchmark.h>

#include "driver/feed.h"

static void evaluate_whole_timeline(benchmark::State& state)
{
    float out[sync_track_count];
    float t = 0;
    for (auto _ : state) {
        syncget(t, out);
        benchmark::DoNotOptimize(out);
        t = t < show_end_row ? t + 0.133f : 0;
    }
}
BENCHMARK(evaluate_whole_timeline);
BENCHMARK_MAIN();
