// One scan of the Istrel on a simulated Brontel board through the whole board road: the
// client's scan call, StartChannel's port sequence, the simulated interrupt after the
// programmed period (3 ms, the shortest the set allows), TransferData's FIFO block read on
// the interrupt thread, accumulation, end-of-scan processing and the 0x465 post. The
// counter "overhead_us" is the time per scan beyond the board's period: the driver's own
// cost, interrupt thread hand-over included.

#include "driver/boards/BoardCommon.h"
#include "driver/boards/BoardConnection.h"
#include "driver/core/DriverState.h"
#include "platform/portio/DriverXDevice.h"
#include "sim/boards/SimulatedBoard.h"
#include "tests/driver/core/FakeDriverPlatform.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <mutex>

namespace {

using namespace driver;

void BM_IstrelBrontelScan(benchmark::State& state)
{
    constexpr const char* kDevice = "BenchBoard";
    auto board = std::make_shared<sim::boards::SimulatedBoard>(sim::boards::BoardKind::Brontel);
    platform::portio::registerDeviceBackend(kDevice, board);
    boards::setBoardDeviceName(kDevice);
    auto fake = core::test::startFakeDriver(VYK_SPEC_ISTREL, VYK_ADC_BRONTEL);
    {
        std::lock_guard lock(core::driverState().mutex);
        boards::boardFields().noIntegrationTimeDelay = 1;
    }
    if (boards::connectBoard() != VYK_SUCCESS) {
        state.SkipWithError("the simulated board did not connect");
        return;
    }
    core::test::TestClient client(5, 105, {0});
    client.record.integration = 3;
    VYK_Register(&client.record);
    VYK_ParamSet(&client.record);

    std::size_t scans = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        VYK_SingleScan(5);
        if (!fake->waitForPosts(VYK_MSG_BUFFER_FULL, 1, std::chrono::seconds(10))) {
            state.SkipWithError("no scan within 10 s");
            break;
        }
        {
            // The sequencer finishes after the post; the next scan may start only then.
            std::unique_lock lock(core::driverState().mutex);
            core::driverState().scanFinished.wait_for(lock, std::chrono::seconds(10), [] {
                return !core::driverState().sequencerRunning;
            });
        }
        VYK_BufferEmpty(5, 0);
        state.PauseTiming();
        fake->clearPosts();
        state.ResumeTiming();
        ++scans;
    }
    const double elapsedUs =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    if (scans != 0)
        state.counters["overhead_us"] =
            elapsedUs / static_cast<double>(scans) - 1000.0 * board->programmedPeriodMs();
    VYK_UnRegister(5);
    boards::disconnectBoard();
    core::detachDriver();
    platform::portio::unregisterDeviceBackend(kDevice);
}
BENCHMARK(BM_IstrelBrontelScan)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
