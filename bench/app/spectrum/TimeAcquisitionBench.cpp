// The time acquisition's sampling step: a tick between samples (one clock comparison), and a
// sample with six channels on 21-pixel bands, two combinations and streaming at LogFrequency
// 100 (target: under 100 µs amortised, the writes of every 101st sample included). The
// counter allocs_per_tick must stay 0 once a block of rows is held.
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "platform/win/ManualClock.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <new>

namespace {

std::atomic<long> g_allocations{0};

} // namespace

void* operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

// The replaced operator new allocates with malloc, so free is the matching release.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void operator delete(void* memory) noexcept
{
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

using namespace app::spectrum;
using namespace app::spectrum::test;
using namespace std::chrono_literals;

namespace {

constexpr uint16_t kJolvar = 0x600;

// A window whose read-out bar keeps nothing, so only the view's work is counted.
class QuietWindow : public FakeViewWindow
{
public:
    void setCursorReadOut(const std::string&) override {}
};

void timeAcquisitionTick(benchmark::State& state)
{
    const bool sampling = state.range(0) != 0;
    const std::string folder = freshFolder("time-bench").string();
    CINIFileSupport(nullptr, 1)
        .WriteString("Preferences", "DefaultSpectrometer", (folder + "/bench.spec").c_str());
    auto clock = std::make_shared<platform::win::ManualClock>(1000s);
    platform::win::setClock(clock);
    FakeConfigurationHost host;
    QuietWindow window;
    FakeViewFrame frame;
    FakeViewDriver driver;
    CHarluneSpectrumDoc document(frame, window.docWindow());
    auto view = std::make_unique<CHarluneSpectrumView>(window, frame, driver, document, host);
    CSpectrometerConfiguration& c = view->configuration();
    c.SetSpectrometerType(kJolvar);
    view->OnCreate();
    view->Create();
    for (int i = 0; i < 3648; ++i)
        document.spectra().processed[0][i] = 100.0 + i % 37;
    TimeAcquisitionParameters& p = view->timeParameters();
    for (int k = 0; k < kTimeChannels; ++k)
        p.channels[k] = {.Enabled = 1, .Pixel = 300 + 400 * k, .Bandwidth = 20, .Plotted = 1};
    p.combos[0] = {.Enabled = 1, .FirstChannel = 0, .Operation = Divide, .SecondChannel = 1};
    p.combos[1] = {.Enabled = 1, .FirstChannel = 6, .Operation = Add, .SecondChannel = 2};
    p.settings.StreamDataToDisk = 1;
    setTimeFilename(p.settings, folder + "/bench.time");
    p.settings.LogFrequency = 100;
    p.settings.InitialDelay = 0;
    p.settings.SaveEveryAcquisition = sampling ? 1 : 0;
    p.settings.ContinueUntilManuallyStopped = 1;
    view->OnActivateTimeAcquisition();
    view->StartTimeAcquisition();
    // One block held first, so its buffers have their capacity.
    for (int i = 0; i < 202; ++i) {
        clock->advance(1ms);
        view->TimeAcquisitionTick();
    }
    long ticks = 0;
    const long before = g_allocations.load();
    for (auto _ : state) {
        if (sampling)
            clock->advance(1ms);
        view->TimeAcquisitionTick();
        ++ticks;
    }
    state.counters["allocs_per_tick"] =
        static_cast<double>(g_allocations.load() - before) / static_cast<double>(ticks);
    state.SetLabel(sampling ? "sample per tick" : "between samples");
    view->StopTimeAcquisition();
    view.reset();
    platform::win::setClock(nullptr);
}

BENCHMARK(timeAcquisitionTick)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
