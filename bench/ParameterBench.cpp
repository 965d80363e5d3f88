// FF_GETPARAMETER and FF_SETPARAMETER through plugMain, as a host calls them
// many times a frame from its controls. The index walks all eleven rows, so
// the figure is the mean over the table, not its best row.

#include <benchmark/benchmark.h>

#include "bench/BenchEnvironment.h"

namespace frayline::bench {
namespace {

constexpr uint32_t parameterCount = 11;

void GetParameter(benchmark::State& state)
{
    Environment& environment = Environment::Get();
    const uintptr_t instance = environment.Instantiate(1, 1);
    if (instance == FF_ALLBITS) {
        state.SkipWithError("FF_INSTANTIATEGL failed");
        return;
    }
    const PlugMainFunction plugMain = environment.plugin.Entry();
    uint32_t index = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(plugMain(FF_GETPARAMETER, index, instance));
        index = index + 1 == parameterCount ? 0 : index + 1;
    }
    environment.plugin.DeinstantiateGL(instance);
}

void SetParameter(benchmark::State& state)
{
    Environment& environment = Environment::Get();
    const uintptr_t instance = environment.Instantiate(1, 1);
    if (instance == FF_ALLBITS) {
        state.SkipWithError("FF_INSTANTIATEGL failed");
        return;
    }
    const PlugMainFunction plugMain = environment.plugin.Entry();
    SetParameterStruct record{0, FloatBits(0.5f)};
    const MixedValue input = reinterpret_cast<MixedValue>(&record);
    for (auto _ : state) {
        benchmark::DoNotOptimize(plugMain(FF_SETPARAMETER, input, instance));
        benchmark::ClobberMemory();
        record.ParameterNumber =
            record.ParameterNumber + 1 == parameterCount ? 0 : record.ParameterNumber + 1;
    }
    environment.plugin.DeinstantiateGL(instance);
}

BENCHMARK(GetParameter)->Unit(benchmark::kNanosecond);
BENCHMARK(SetParameter)->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace frayline::bench
