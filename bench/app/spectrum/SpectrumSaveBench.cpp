// Save Processed with autoincrementing names: eight channels of 3648 pixels per save, as text
// with header and as SPC (target: under 20 ms per save for the eight text files). The window,
// frame and driver are the recording fakes of the tests; the files go to a temporary folder
// and are removed between saves outside the timing.
#include "app/shell/INIFileSupport.h"
#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/HarluneSpectrumView.h"
#include "tests/app/shell/ShellFakes.h"
#include "tests/app/spectrum/SpectrumViewFakes.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

using namespace app::spectrum::test;

namespace {

constexpr uint16_t kJolvar = 0x600;
constexpr unsigned kAutoincrementEnabled = 32875;

void saveProcessedAutoincrement(benchmark::State& state)
{
    const int format = static_cast<int>(state.range(0));
    const std::filesystem::path folder = freshFolder("save-bench");
    // The settings of this run stay in its own folder.
    setenv("HARLUNE_REGISTRY_DIR", (folder / "hives").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    CINIFileSupport(nullptr, 1)
        .WriteString("Preferences", "DefaultSpectrometer", (folder / "bench.spec").c_str());
    FakeConfigurationHost host;
    FakeViewWindow window;
    FakeViewFrame frame;
    FakeViewDriver driver;
    frame.prefs.FileOverwriteWarning = 0;
    frame.viewPrefs.DefaultFileFormat = format;
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
    for (int k = 0; k < 8; ++k)
        for (int i = 0; i < 3648; ++i)
            document.spectra().processed[k][i] = 1500.0 + 300.0 * std::sin(i * 0.01 + k);
    window.autoincrementAnswer = AutoincrementDialogValues{(folder / "run").string(), "0"};
    view.OnConfigureAutoincrement();
    if (view.autoIncrementEnabled() == 0)
        view.OnCommand(kAutoincrementEnabled);
    for (auto _ : state) {
        view.OnSaveProcessed();
        state.PauseTiming();
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().filename().string().rfind("run.", 0) == 0)
                std::filesystem::remove(entry.path());
        state.ResumeTiming();
    }
    state.SetLabel(format == 2 ? "SPC" : "text with header");
}

BENCHMARK(saveProcessedAutoincrement)
    ->ArgName("format")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
