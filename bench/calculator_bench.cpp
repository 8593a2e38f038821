// Cost of the conversions and of the actions a button runs.
//     build/default/bench/corvanta_bench
#include <benchmark/benchmark.h>

#include "conductor/conductor_actions.h"
#include "core/compute.h"
#include "core/field_conversion.h"

namespace corvanta {
namespace {

void BM_ParseSingle(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ParseSingle("146.00"));
}
BENCHMARK(BM_ParseSingle);

void BM_ParseSingleLong(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ParseSingle("  1.62600004673004150390625E+00 "));
}
BENCHMARK(BM_ParseSingleLong);

void BM_FormatDouble(benchmark::State& state) {
    double value = 16.583971639317777;
    for (auto _ : state) {
        benchmark::DoNotOptimize(value);
        benchmark::DoNotOptimize(FormatDouble(value));
    }
}
BENCHMARK(BM_FormatDouble);

void BM_FormatSingle(benchmark::State& state) {
    float value = 421.23288F;
    for (auto _ : state) {
        benchmark::DoNotOptimize(value);
        benchmark::DoNotOptimize(FormatSingle(value));
    }
}
BENCHMARK(BM_FormatSingle);

void BM_Compute(benchmark::State& state) {
    DesignSheet sheet;
    sheet.SetSide(SideChoice::Three);
    for (auto _ : state) benchmark::DoNotOptimize(Compute(sheet));
}
BENCHMARK(BM_Compute);

void BM_Accept(benchmark::State& state) {
    DesignSheet sheet;
    for (auto _ : state) {
        Accept(sheet);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Accept);

}  // namespace
}  // namespace corvanta
