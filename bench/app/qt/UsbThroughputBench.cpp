// Throughput of the program with a simulated USB spectrometer (a Pavik) at 3 ms integration:
// the real program (main frame, round-robin, spectrum windows with their charts, offscreen)
// on the real driver library, whose libusb calls reach the simulator through this program's
// fake libusb. The simulated device integrates: a spectrum block is ready 3 ms after its
// request. Measured for 1, 4 and 8 windows over two seconds each:
// - scans per second per window, and the device's own maximum for back-to-back single scans
//   (the driver library alone, blocking scans, no program);
// - device idle: the share of the device's time between scans that the program adds
//   (1 - program scans per second / back-to-back scans per second);
// - fairness: the fewest scans of a window over the most;
// - the device's mean idle time per scan, from a scan's last spectrum byte to the next
//   request (`device_gap_us`), for the program and for the driver alone;
// - the longest and the mean delay from the device's last spectrum byte to the window's plot
//   request (the NewSpectraReady event, which comes right before the plot);
// - chart repaints per second per window (coalesced to the display's rate).
#include "app/qt/HarluneApp.h"
#include "app/qt/MainFrameWidget.h"
#include "app/shell/DriverLibrary.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/qt/ShellSpectrumServices.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "bench/app/qt/ScratchEnvironment.h"
#include "platform/framework/ChildFrame.h"
#include "platform/qt/QtHooks.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "platform/win/c/pwin.h"
#include "tests/app/qt/FakeLibusbExports.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using sim::usb::SimulatedUsbSpectrometer;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kIntegrationMs = 3;
constexpr double kRunSeconds = 2.0;

int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// The simulator behind the fake libusb, made to take its integration time: the first read of
// the spectrum pipe after a request waits until the request is 3 ms old.
struct IntegratingDevice
{
    IntegratingDevice()
    {
        device->setLogging(false);
        auto& fake = platform::usb::test::FakeLibusb::instance();
        fake.reset();
        fake.add({1, {1}, device, false, false});
        platform::usb::test::bulkTransferObserver() = [this](unsigned char endpoint,
                                                             const unsigned char* data, int length,
                                                             bool done) {
            if (!done && endpoint == 0x01 && length > 0 && data[0] == 0x09) {
                requestNs = nowNs();
                integrating = true;
                const int64_t lastNs = lastBlockNs.load();
                if (counting && lastNs >= countingSinceNs) {
                    gapNsTotal += requestNs - lastNs;
                    ++gaps;
                }

            } else if (!done && endpoint == 0x82 && integrating.exchange(false)) {
                const int64_t readyNs = requestNs + int64_t{device->integrationMs()} * 1000000;
                std::this_thread::sleep_until(Clock::time_point(std::chrono::nanoseconds(readyNs)));
            } else if (done && endpoint == 0x82) {
                lastBlockNs = nowNs();
            }
        };
    }
    ~IntegratingDevice() { platform::usb::test::bulkTransferObserver() = nullptr; }

    std::shared_ptr<SimulatedUsbSpectrometer> device =
        std::make_shared<SimulatedUsbSpectrometer>(sim::usb::pavikIdentity("PV00042"));
    std::atomic<int64_t> requestNs{0};
    std::atomic<int64_t> lastBlockNs{0};
    std::atomic<bool> integrating{false};
    // The device's idle time per scan: from a scan's last spectrum byte to the next request.
    std::atomic<bool> counting{false};
    std::atomic<int64_t> countingSinceNs{0};
    std::atomic<int64_t> gapNsTotal{0};
    std::atomic<int64_t> gaps{0};

    void startCounting()
    {
        gapNsTotal = 0;
        gaps = 0;
        countingSinceNs = nowNs();
        counting = true;
    }
    double stopCounting()
    {
        counting = false;
        return gaps > 0 ? gapNsTotal / 1e3 / gaps : 0.0;
    }
};

void writeSettings()
{
    const std::string spec = std::string(std::getenv("HARLUNE_TEST_DIR")) + "/Pavik.spec";
    std::FILE* file = std::fopen(spec.c_str(), "w");
    if (!file)
        std::abort();
    std::fputs("[General]\r\nSpectrometerType=Istrel\r\nADCType=Pavik\r\n"
               "USBSerialNumber=PV00042\r\nInitialized=1\r\n",
               file);
    std::fclose(file);
    CINIFileSupport store(nullptr, 1);
    store.WriteString("Preferences", "DefaultSpectrometer", spec.c_str());
    store.WriteInt("DefaultAcquisitionParameters", "IntegrationTime", kIntegrationMs);
    store.WriteString("Preferences", "SingleThread", "0");
}

void runEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double g_backToBackPerSecond = 0.0;

// One binding for the whole run: the library is not unloaded between the measurements, only
// at their end, while its scratch folder is still there to take its configuration.
std::optional<DriverLibrary> g_library;
// One simulated device for the whole run as well: the library keeps the device it opened
// between the measurements, so the device must outlive them.
std::optional<IntegratingDevice> g_device;

IntegratingDevice& device()
{
    if (!g_device)
        g_device.emplace();
    return *g_device;
}

DriverLibrary& library()
{
    if (!g_library)
        g_library.emplace("libVYKDRV32.so", [](const std::string&) {});
    return *g_library;
}

// The device's maximum: back-to-back blocking single scans through the driver library alone.
void deviceBackToBack(benchmark::State& state)
{
    writeSettings();
    IntegratingDevice& sim = device();
    for (auto _ : state) {
        DriverLibrary& library = ::library();
        library.VYK_ConfigEx(0x200, VYK_ADC_PAVIK, 0, 0, 0, 0);
        std::vector<float> buffer(4096);
        RegistrationRecord record{};
        record.size = sizeof(RegistrationRecord);
        record.instanceKey = 99;
        record.integration = kIntegrationMs;
        record.scansToAverage = 1;
        record.channelEnables[0] = 1;
        record.channelBuffers[0] = buffer.data();
        record.timingDirty = 1;
        const PWIN_HWND window = pwin_CreateMessageWindow(
            [](void*, PWIN_HWND, PWIN_UINT, PWIN_WPARAM, PWIN_LPARAM) -> PWIN_LRESULT { return 0; },
            nullptr, nullptr);
        record.window = window;
        library.VYK_Register(&record);
        library.VYK_ParamSet(&record);
        library.VYK_SingleScan(99); // opens the device
        int scans = 0;
        sim.startCounting();
        const auto start = Clock::now();
        while (Clock::now() - start < std::chrono::duration<double>(kRunSeconds)) {
            library.VYK_ParamSet(&record);
            library.VYK_SingleScan(99);
            library.VYK_BufferEmpty(99, 0);
            PWIN_MSG message;
            while (pwin_PeekMessage(&message, 0, 0, 0, PWIN_PM_REMOVE))
                pwin_DispatchMessage(&message);
            ++scans;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.counters["device_gap_us"] = sim.stopCounting();
        library.VYK_UnRegister(99);
        pwin_DestroyWindow(window);
        g_backToBackPerSecond = scans / seconds;
    }
    state.counters["scans_per_s"] = g_backToBackPerSecond;
    state.counters["device_ms_per_scan"] = 1000.0 / g_backToBackPerSecond;
}

void programWindows(benchmark::State& state)
{
    const int windows = static_cast<int>(state.range(0));
    writeSettings();
    IntegratingDevice& sim = device();
    platform::qt::QtHooks hooks;
    platform::qt::ScriptedUiServices ui;
    platform::qt::ScopedUiServices scopedUi{ui};
    for (auto _ : state) {
        CHarluneApp app(library());
        if (!app.InitInstance({}))
            std::abort();
        for (int k = 1; k < windows; ++k)
            app.NewSpectrumWindow();
        std::map<std::string, int> scans;
        int64_t longestDelayNs = 0;
        int64_t delayNsTotal = 0;
        int64_t delays = 0;
        bool measuring = false;
        app.viewFrame()->setScriptEvents(
            [&](const std::string& name, int16_t) {
                ++scans[name];
                if (measuring) {
                    const int64_t delayNs = nowNs() - sim.lastBlockNs.load();
                    longestDelayNs = std::max(longestDelayNs, delayNs);
                    delayNsTotal += delayNs;
                    ++delays;
                }
            },
            {});
        // Warm up until every window has scanned.
        for (int i = 0; i < 100 && static_cast<int>(scans.size()) < windows; ++i)
            runEvents(50);
        std::vector<SpectrumViewWidget*> views;
        for (platform::framework::ChildFrame* child : app.mainFrameWidget()->childFrames())
            if (auto* view = dynamic_cast<SpectrumViewWidget*>(child->GetActiveView()))
                views.push_back(view);
        uint64_t paintsBefore = 0;
        for (SpectrumViewWidget* view : views)
            paintsBefore += view->chartWindow().paintCount();
        scans.clear();
        measuring = true;
        sim.startCounting();
        const auto start = Clock::now();
        runEvents(static_cast<int>(kRunSeconds * 1000));
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        measuring = false;
        state.counters["device_gap_us"] = sim.stopCounting();
        uint64_t paints = 0;
        for (SpectrumViewWidget* view : views)
            paints += view->chartWindow().paintCount();
        paints -= paintsBefore;

        int total = 0;
        int fewest = scans.empty() ? 0 : scans.begin()->second;
        int most = 0;
        for (const auto& [name, count] : scans) {
            total += count;
            fewest = std::min(fewest, count);
            most = std::max(most, count);
        }
        if (static_cast<int>(scans.size()) < windows)
            fewest = 0;
        const double perSecond = total / seconds;
        state.counters["windows"] = windows;
        state.counters["scans_per_s_per_window"] = perSecond / windows;
        state.counters["scans_per_s"] = perSecond;
        if (g_backToBackPerSecond > 0.0)
            state.counters["device_idle_pct"] = 100.0 * (1.0 - perSecond / g_backToBackPerSecond);
        state.counters["fairness_min_over_max"] = most > 0 ? double(fewest) / most : 0.0;
        state.counters["longest_delay_ms"] = longestDelayNs / 1e6;
        // The mean delay from the device's last spectrum byte to the plot request: message
        // delivery, copy and processing, the first part of the device's idle time per scan.
        if (delays > 0)
            state.counters["to_plot_request_us"] = delayNsTotal / 1e3 / delays;
        state.counters["repaints_per_s_per_window"] = paints / seconds / windows;
        app.viewFrame()->setScriptEvents({}, {});
    }
}

BENCHMARK(deviceBackToBack)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(programWindows)
    ->Arg(1)
    ->Arg(4)
    ->Arg(8)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return harlune_bench::runInScratchEnvironment(
        argc, argv, {.folderPrefix = "/tmp/harlune-bench.", .beforeRemoval = [] {
                         g_library.reset();
                         g_device.reset();
                     }});
}
