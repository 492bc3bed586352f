#include "driver/core/DriverState.h"
#include "driver/include/vykdrv32.h"
#include "driver/java/JavaBridge.h"
#include "sim/java/FakeJavaDriver.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

using namespace driver::java;

constexpr const char* kTrevan = "com/varnholt/tarnwick/trevan/Trevan";

// Loads the Trevan class on the real VM (or on the fake) with the 3648-pixel detector.
bool loadTrevan(bool realVm)
{
    setJavaBackend(realVm ? nullptr : std::make_shared<sim::java::FakeJavaDriver>());
    {
        driver::core::DriverState& state = driver::core::driverState();
        std::lock_guard lock(state.mutex);
        state.pixelCount = 3648;
        state.adcType = VYK_ADC_TREVAN;
    }
    return LoadJavaDriver(kTrevan) == 1 && JavaOpenSpectrometer(0) > 0;
}

// One feature getter: wait-while-busy, the call on an already attached thread, the result.
void BM_FeatureGetterRoundTrip(benchmark::State& state)
{
    if (!loadTrevan(state.range(0) != 0)) {
        state.SkipWithError("the Trevan class could not be loaded");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(Trevan_GetShutterClock());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FeatureGetterRoundTrip)->Arg(1)->Arg(0)->ArgName("realVm");

// The bridge's work per scan: scan, fetch the 3648-value accumulator, copy it as floats.
void BM_ScanAndCopyAccumulator(benchmark::State& state)
{
    if (!loadTrevan(state.range(0) != 0)) {
        state.SkipWithError("the Trevan class could not be loaded");
        return;
    }
    std::vector<float> channel(3648);
    for (auto _ : state) {
        JavaScan(1);
        JavaGetAccumulator();
        benchmark::DoNotOptimize(copyJavaSpectrum(channel));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScanAndCopyAccumulator)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("realVm")
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
