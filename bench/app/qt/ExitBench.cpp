// Time of the program's exit: the real program (main frame, spectrum windows with their charts,
// offscreen) on the real driver library without hardware, scanning, is closed by File Exit.
// Measured from the close to the end of the application object and the driver library's
// unloading, for 1 and 4 spectrum windows: every step of the close runs (settings, tool bars
// and placements written, the windows' unregistration, the driver's shutdown and its
// configuration file). Counters: the close alone (the command until the event loop is told to
// end) and the whole exit.
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/shell/DriverLibrary.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/qt/ShellSpectrumServices.h"
#include "bench/app/qt/ScratchEnvironment.h"
#include "platform/framework/CommandIds.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

using Clock = std::chrono::steady_clock;

namespace {

void writeSettings()
{
    const std::string spec = std::string(std::getenv("HARLUNE_TEST_DIR")) + "/Default.spec";
    std::FILE* file = std::fopen(spec.c_str(), "w");
    if (!file)
        std::abort();
    std::fputs("[General]\r\nSpectrometerType=Istrel\r\nADCType=NONE\r\nInitialized=1\r\n", file);
    std::fclose(file);
    CINIFileSupport store(nullptr, 1);
    store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
}

// Runs the event loop until done() holds or boundMs passed; false on the bound.
template <class Done> bool runUntil(Done done, int boundMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > boundMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void programExit(benchmark::State& state)
{
    const int windows = static_cast<int>(state.range(0));
    writeSettings();
    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    double closeMsTotal = 0.0;
    for (auto _ : state) {
        auto driver = std::make_unique<DriverLibrary>();
        auto app = std::make_unique<CHarluneApp>(*driver);
        bool ended = false;
        app->setEndHandler([&ended] { ended = true; });
        if (!app->InitInstance({"/none"}))
            std::abort();
        for (int k = 1; k < windows; ++k)
            app->NewSpectrumWindow();
        std::set<std::string> scanned;
        app->viewFrame()->setScriptEvents(
            [&scanned](const std::string& name, int16_t) { scanned.insert(name); }, {});
        // Every window has scanned: the program is as a user leaves it.
        if (!runUntil([&] { return static_cast<int>(scanned.size()) >= windows; }, 20000))
            std::abort();
        app->viewFrame()->setScriptEvents({}, {});

        const auto start = Clock::now();
        // File Exit closes the main window (its close asks and saves everything).
        MainFrameWidget* mainFrame = app->mainFrameWidget();
        mainFrame->close();
        if (!runUntil([&] { return ended || !mainFrame->isVisible(); }, 20000))
            std::abort();
        const auto closed = Clock::now();
        app.reset();
        driver.reset();
        const auto end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        closeMsTotal += std::chrono::duration<double, std::milli>(closed - start).count();
    }
    state.counters["windows"] = windows;
    state.counters["close_ms"] =
        benchmark::Counter(closeMsTotal, benchmark::Counter::kAvgIterations);
}

BENCHMARK(programExit)
    ->Arg(1)
    ->Arg(4)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

} // namespace

int main(int argc, char** argv)
{
    return harlune_bench::runInScratchEnvironment(argc, argv,
                                                  {.folderPrefix = "/tmp/harlune-exit-bench."});
}
