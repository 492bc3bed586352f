// The reference-pixel map of a 3648-pixel spectrometer: one search per pixel against the
// walk the configuration uses, and a whole ".spec" read.
#include "app/shell/SpectrometerConfiguration.h"
#include "tests/app/shell/ShellFakes.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

namespace {

std::string benchFile(const char* name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

CSpectrometerConfiguration& jolvarConfiguration(FakeConfigurationHost& host)
{
    host.withoutHardware = true; // never written back
    static CSpectrometerConfiguration config(benchFile("bench-refmap.spec"), 0, host);
    config.SetAutoApply(0);
    config.SetSpectrometerType(0x600);
    for (int c = 0; c < 8; ++c) {
        const float wl[4] = {180.0f + c, 0.23f, -1.1e-5f, 0.0f};
        config.SetWavelengthCoefs(c, wl);
        config.SetReferenceChannel(c, (c + 1) % 8);
    }
    return config;
}

void BM_ReferenceMapSearchPerPixel(benchmark::State& state)
{
    static FakeConfigurationHost host;
    CSpectrometerConfiguration& config = jolvarConfiguration(host);
    std::vector<uint16_t> map(config.GetPixelCount());
    for (auto _ : state) {
        for (unsigned p = 0; p < map.size(); ++p)
            map[p] = config.WavelengthToPixel(1, config.PixelToWavelength(0, p));
        benchmark::DoNotOptimize(map.data());
    }
}
BENCHMARK(BM_ReferenceMapSearchPerPixel)->Unit(benchmark::kMillisecond);

void BM_ReferenceMapWalk(benchmark::State& state)
{
    static FakeConfigurationHost host;
    CSpectrometerConfiguration& config = jolvarConfiguration(host);
    for (auto _ : state) {
        // Setting the type recomputes the maps of every channel of type 2.
        config.SetReferenceType(0, 2);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ReferenceMapWalk)->Unit(benchmark::kMicrosecond);

void BM_SpecFileRead(benchmark::State& state)
{
    static FakeConfigurationHost host;
    CSpectrometerConfiguration& config = jolvarConfiguration(host);
    if (!config.SaveAs(benchFile("bench-read.spec"))) {
        state.SkipWithError("cannot write the .spec file");
        return;
    }
    for (auto _ : state)
        config.ReadSpectrometerConfiguration();
}
BENCHMARK(BM_SpecFileRead)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
