// The scan-ready road of a spectrum view: every channel message of one scan, from the copy
// of the raw buffers to the plot handed to the chart, for 1 and 8 channels of 3648 pixels in
// each processing mode (target: under 1 ms for 8 channels). The window, frame and driver are
// the recording fakes of the tests, so only the view's own work is measured.
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

using namespace app::spectrum::test;

namespace {

constexpr uint16_t kJolvar = 0x600;

void scanReadyRoad(benchmark::State& state)
{
    const int channels = static_cast<int>(state.range(0));
    const auto mode = static_cast<ProcessingMode>(state.range(1));
    CINIFileSupport(nullptr, 1)
        .WriteString("Preferences", "DefaultSpectrometer",
                     (freshFolder("bench").string() + "/bench.spec").c_str());
    FakeConfigurationHost host;
    FakeViewWindow window;
    FakeViewFrame frame;
    FakeViewDriver driver;
    driver.spectrometerType = kJolvar;
    CHarluneSpectrumDoc document(frame, window.docWindow());
    CHarluneSpectrumView view(window, frame, driver, document, host);
    CSpectrometerConfiguration& c = view.configuration();
    c.SetSpectrometerType(kJolvar);
    c.SetScopeModeSaturationThreshold(1e9);
    const float coefs[4] = {200.0f, 0.25f, 0.0f, 0.0f};
    for (int k = 0; k < 8; ++k) {
        c.SetChannelEnabled(k, k < channels ? 1 : 0);
        c.SetWavelengthCoefs(k, coefs);
    }
    view.OnCreate();
    view.Create();
    for (int k = 0; k < channels; ++k) {
        for (int i = 0; i < 3648; ++i)
            document.rawScanBuffer(k).values[i] = static_cast<float>(100.0 + i % 17);
        view.OnScanReady(static_cast<uint32_t>(k));
    }
    view.OnStoreDark();
    for (int k = 0; k < channels; ++k) {
        for (int i = 0; i < 3648; ++i)
            document.rawScanBuffer(k).values[i] =
                static_cast<float>(3000.0 + 500.0 * std::sin(i * 0.01));
        view.OnScanReady(static_cast<uint32_t>(k));
    }
    view.OnStoreReference();
    view.OnCommand(mode == Scope                ? 32795u
                   : mode == Absorbance         ? 32796u
                   : mode == Transmission       ? 32797u
                   : mode == RelativeIrradiance ? 32798u
                                                : 33094u);
    for (int k = 0; k < channels; ++k)
        for (int i = 0; i < 3648; ++i)
            document.rawScanBuffer(k).values[i] = static_cast<float>(1500.0 + i % 101);
    for (auto _ : state) {
        for (int k = 0; k < channels; ++k)
            view.OnScanReady(static_cast<uint32_t>(k));
        benchmark::DoNotOptimize(document.spectra().processed[0][100]);
    }
    state.SetLabel(std::to_string(channels) + " channels, mode " + std::to_string(mode));
}

BENCHMARK(scanReadyRoad)
    ->ArgsProduct({{1, 8},
                   {Scope, Absorbance, Transmission, RelativeIrradiance, SpecularReflection}})
    ->Unit(benchmark::kMicrosecond);

// UpdateCursor after a processed scan: 8 channels and 8 loaded overlay slots of 3648
// pixels, the read-outs in the legend and the peak text on (target: under 100 µs).
void updateCursor(benchmark::State& state)
{
    CINIFileSupport(nullptr, 1)
        .WriteString("Preferences", "DefaultSpectrometer",
                     (freshFolder("bench-cursor").string() + "/bench.spec").c_str());
    FakeConfigurationHost host;
    FakeViewWindow window;
    FakeViewFrame frame;
    FakeViewDriver driver;
    driver.spectrometerType = kJolvar;
    frame.viewPrefs.ManufacturingExtensionsEnabled = 1;
    CHarluneSpectrumDoc document(frame, window.docWindow());
    CHarluneSpectrumView view(window, frame, driver, document, host);
    CSpectrometerConfiguration& c = view.configuration();
    c.SetSpectrometerType(kJolvar);
    const float coefs[4] = {200.0f, 0.25f, 0.0f, 0.0f};
    for (int k = 0; k < 8; ++k) {
        c.SetChannelEnabled(k, 1);
        c.SetWavelengthCoefs(k, coefs);
    }
    view.OnCreate();
    view.Create();
    ChannelSpectra& spectra = document.spectra();
    OverlaySlots& overlays = document.overlays();
    for (int k = 0; k < 8; ++k) {
        for (int i = 0; i < 3648; ++i) {
            spectra.processed[k][i] = 1000.0 + 900.0 * std::sin(i * 0.003 + k);
            overlays.wavelengths[k][i] = 200.0 + 0.25 * i;
            overlays.values[k][i] = 500.0 + i % 97;
        }
        overlays.loaded[k] = 1;
        overlays.fileNames[k] = "/data/overlay" + std::to_string(k) + ".scope";
    }
    CursorDialogValues legend;
    legend.valuesInLegend = 1;
    window.cursorAnswer = legend;
    view.OnCommand(32800); // Configure Cursor
    if (view.cursorShown() == 0)
        view.OnCommand(32777); // Toggle Cursor
    view.setCursorPixel(1800);
    view.UpdateCursor();
    if (view.cursorShown() == 0 || window.readOuts.empty())
        state.SkipWithError("the cursor is not shown");
    for (auto _ : state) {
        view.UpdateCursor();
        window.readOuts.clear();
        benchmark::DoNotOptimize(view.cursorBarText().data());
    }
}

BENCHMARK(updateCursor)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
