// The worker hand-over: latency from VYK_SingleScan_Thread to the first 0x465 on the
// no-hardware set with an integration of 1 ms (counters median_us and p99_us), and the
// process CPU time while a registered client's worker waits between scans
// (cpu_percent, which must stay about 0: the worker waits on a condition, not a timer).
#include "driver/core/DriverPlatform.h"
#include "driver/core/DriverStartup.h"
#include "driver/include/vykdrv32.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Real time and real sleeps; 0x465 posts are counted and wake the waiting bench.
class BenchPlatform final : public driver::core::DriverPlatform
{
public:
    bool postMessage(std::uint32_t, std::uint32_t message, std::uintptr_t, std::intptr_t) override
    {
        if (message == VYK_MSG_BUFFER_FULL) {
            std::lock_guard lock(m_mutex);
            ++m_full;
            m_changed.notify_all();
        }
        return true;
    }
    void pumpMessages() override {}
    void sleepMs(std::uint32_t ms) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    bool waitMs(std::uint32_t ms, std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                const std::function<bool()>& stop) override
    {
        return wake.wait_for(lock, std::chrono::milliseconds(ms), stop);
    }
    std::uint32_t timeMs() override
    {
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
                .count());
    }
    bool beginTimerPeriod() override { return true; }
    void endTimerPeriod() override {}
    std::uint32_t setOneShotTimer(std::uint32_t, driver::core::TimerCallback,
                                  std::uintptr_t) override
    {
        return 0;
    }
    void killTimer(std::uint32_t) override {}
    int messageBox(const char*, const char*, unsigned) override { return driver::core::kIdOk; }
    void messageBeep(unsigned) override {}
    int runModalDialog(const char*, void*) override { return driver::core::kIdCancel; }
    void debugOutput(const char*) override {}

    long full()
    {
        std::lock_guard lock(m_mutex);
        return m_full;
    }
    bool waitForMore(long seen)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_full > seen; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    long m_full = 0;
};

struct Client
{
    std::vector<float> buffer = std::vector<float>(4096);
    RegistrationRecord record{};
};

std::unique_ptr<Client> startClient(const std::shared_ptr<BenchPlatform>& platform)
{
    driver::core::detachDriver();
    driver::core::setDriverPlatform(platform);
    driver::core::attachDriver();
    VYK_Config(VYK_SPEC_ISTREL, VYK_ADC_NONE, 0, 0);
    auto client = std::make_unique<Client>();
    client->record.size = sizeof(RegistrationRecord);
    client->record.integration = 1;
    client->record.scansToAverage = 1;
    client->record.channelEnables[0] = 1;
    client->record.channelBuffers[0] = client->buffer.data();
    client->record.window = 7;
    client->record.instanceKey = 42;
    VYK_Register(&client->record);
    VYK_ParamSet(&client->record);
    return client;
}

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_HandOverLatency(benchmark::State& state)
{
    auto platform = std::make_shared<BenchPlatform>();
    auto client = startClient(platform);
    std::vector<double> latenciesUs;
    for (auto _ : state) {
        const long seen = platform->full();
        const auto start = Clock::now();
        VYK_SingleScan_Thread(42);
        if (!platform->waitForMore(seen)) {
            state.SkipWithError("no 0x465 within 10 s");
            break;
        }
        const std::chrono::duration<double, std::micro> took = Clock::now() - start;
        latenciesUs.push_back(took.count());
        state.SetIterationTime(took.count() * 1e-6);
        // Let the worker go back to waiting before the next hand-over.
        while (VYK_AcquisitionThreadActive() != 0)
            std::this_thread::yield();
    }
    if (!latenciesUs.empty()) {
        std::sort(latenciesUs.begin(), latenciesUs.end());
        state.counters["median_us"] = latenciesUs[latenciesUs.size() / 2];
        state.counters["p99_us"] = latenciesUs[latenciesUs.size() * 99 / 100];
    }
    VYK_UnRegister(42);
    driver::core::detachDriver();
}
BENCHMARK(BM_HandOverLatency)->UseManualTime()->Iterations(2000);

void BM_IdleWorkerCpu(benchmark::State& state)
{
    auto platform = std::make_shared<BenchPlatform>();
    auto client = startClient(platform);
    const long seen = platform->full();
    VYK_SingleScan_Thread(42); // the worker exists and now waits for the next scan
    platform->waitForMore(seen);
    double cpu = 0.0;
    double wall = 0.0;
    for (auto _ : state) {
        const double cpuStart = processCpuSeconds();
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cpu += processCpuSeconds() - cpuStart;
        wall += std::chrono::duration<double>(Clock::now() - start).count();
    }
    state.counters["cpu_percent"] = wall > 0.0 ? 100.0 * cpu / wall : 0.0;
    VYK_UnRegister(42);
    driver::core::detachDriver();
}
BENCHMARK(BM_IdleWorkerCpu)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
