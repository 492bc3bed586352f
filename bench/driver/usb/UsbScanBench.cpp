// The whole scan road of the Pavik over the simulated device: the client's scan call,
// the spectrum request, the block transfer, unpacking, accumulation, end-of-scan
// processing and the 0x465 post. The simulator answers at once, so the time per scan is
// the driver's own cost; the integration time only sets what the record asks for.

#include "driver/core/DriverState.h"
#include "driver/usb/PavikSolviOperationSet.h"
#include "driver/usb/UsbProtocol.h"
#include "driver/usb/UsbTransport.h"
#include "sim/usb/SimulatedUsbSpectrometer.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

namespace {

using namespace driver;

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void BM_PavikScanRoad(benchmark::State& state)
{
    auto sim =
        std::make_shared<sim::usb::SimulatedUsbSpectrometer>(sim::usb::pavikIdentity("BENCH0001"));
    sim->setLogging(false);
    auto backend = std::make_shared<sim::usb::SimUsbBackend>();
    backend->add(sim);
    usb::setUsbBackend(backend);
    usb::StoreCurrentUSBSerialNumber("");
    usb::resetPavikSolviState();
    auto fake = core::test::startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_PAVIK);
    {
        std::lock_guard lock(core::driverState().mutex);
        core::driverState().startupFlags |= core::kStartupInterruptHandler;
    }
    core::test::TestClient client(5, 77, {0});
    client.record.integration = static_cast<std::uint16_t>(state.range(0));
    VYK_Register(&client.record);
    VYK_ParamSet(&client.record);
    VYK_SingleScan(5); // opens the device

    std::vector<double> delaysUs;
    delaysUs.reserve(1 << 16);
    const double cpuStart = cpuSeconds();
    std::size_t scans = 0;
    for (auto _ : state) {
        // "Device data ready" is when the scan's request goes out; the client has its
        // data when the scan call has posted 0x465.
        const auto start = std::chrono::steady_clock::now();
        VYK_SingleScan(5);
        const auto end = std::chrono::steady_clock::now();
        if (delaysUs.size() < delaysUs.capacity())
            delaysUs.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        ++scans;
        if ((scans & 1023) == 0) {
            state.PauseTiming();
            fake->clearPosts();
            state.ResumeTiming();
        }
    }
    const double cpu = cpuSeconds() - cpuStart;
    std::sort(delaysUs.begin(), delaysUs.end());
    if (!delaysUs.empty()) {
        state.counters["median_us"] = delaysUs[delaysUs.size() / 2];
        state.counters["p99_us"] = delaysUs[delaysUs.size() * 99 / 100];
    }
    state.counters["cpu_us_per_scan"] = scans ? cpu * 1e6 / static_cast<double>(scans) : 0.0;
    state.counters["scans_per_s"] =
        benchmark::Counter(static_cast<double>(scans), benchmark::Counter::kIsRate);
    VYK_UnRegister(5);
    usb::PavikSolviShutdownHardware();
}
BENCHMARK(BM_PavikScanRoad)->Arg(3)->Arg(10)->Unit(benchmark::kMicrosecond);

void BM_UnpackBlock(benchmark::State& state)
{
    std::vector<std::uint16_t> pixels(2048);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint16_t>(i & 0x0FFF);
    const auto block = sim::usb::SimulatedUsbSpectrometer::packBlock(pixels);
    std::array<std::uint16_t, usb::kBlockPixels> out{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(usb::unpackSpectrumBlock(block, out));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_UnpackBlock);

} // namespace

BENCHMARK_MAIN();
