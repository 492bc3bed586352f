// Frame parsing speed (MB/s, plain and compressed frames) and the scan period over the
// pseudo-terminal at 115200 baud, against the line time of the frame. The scan period is
// measured twice: stopping at the frame's end marker (and sum), and waiting for the line to
// stay quiet for 50 ms after every frame.
#include "driver/include/vykdrv32.h"
#include "driver/serial/SerialAdc.h"
#include "driver/serial/SerialAdcProtocol.h"
#include "sim/serial/SerialAdcSimulator.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace driver::serial;

std::vector<std::uint16_t> benchPixels()
{
    std::vector<std::uint16_t> pixels(kFramePixels);
    for (int i = 0; i < kFramePixels; ++i)
        pixels[static_cast<std::size_t>(i)] =
            static_cast<std::uint16_t>(3000 + (i * 53) % 200 + (i % 97 == 0 ? 5000 : 0));
    return pixels;
}

void decodeFrames(benchmark::State& state, std::uint16_t mode)
{
    FrameLayout layout;
    layout.mode = mode;
    const std::vector<std::uint8_t> bytes =
        encodeScanFrame(layout, benchPixels(), {1, 1, 0, 0, 0}, false, true);
    ScanFrame frame;
    std::array<std::uint16_t, kScanBufferWords> words{};
    for (auto _ : state) {
        if (decodeScanFrame(bytes, true, false, frame) != FrameStatus::Ok)
            state.SkipWithError("frame did not decode");
        fillScanBuffer(frame, true, words);
        benchmark::DoNotOptimize(words.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes.size()));
    state.counters["frame_bytes"] = static_cast<double>(bytes.size());
}

void BM_DecodePlainFrame(benchmark::State& state)
{
    decodeFrames(state, 0);
}
BENCHMARK(BM_DecodePlainFrame);

void BM_DecodeCompressedFrame(benchmark::State& state)
{
    decodeFrames(state, 256);
}
BENCHMARK(BM_DecodeCompressedFrame);

// Argument 0: stop at the frame's end; 1: wait for a quiet line after every frame.
void BM_ScanPeriodAt115200(benchmark::State& state)
{
    sim::serial::SerialAdcSimulator simulator(0);
    simulator.setPixels(benchPixels());
    const char* ini = std::getenv("VYKDRV_INI");
    {
        std::ofstream out(ini && *ini ? ini : "VYKDRV.INI", std::ios::trunc);
        out << "[Setup]\r\nSerialDevice1=" << simulator.devicePath() << "\r\n";
    }
    if (KAL_Init(1, 2) != 1 || KAL_SetBaudRate(6) != 1 || KAL_SetIntegrationTime(1) != 1 ||
        KAL_SetChecksumMode(1) != 1) {
        state.SkipWithError("the simulated converter did not answer");
        KAL_Close(0);
        return;
    }
    serialAdc().stopAtFrameEnd = state.range(0) == 0;
    std::array<std::uint16_t, kScanBufferWords> words{};
    for (auto _ : state) {
        if (KAL_Scan(words.data()) != 1)
            state.SkipWithError("scan failed");
    }
    serialAdc().stopAtFrameEnd = true;
    FrameLayout layout;
    const std::size_t frameBytes = encodeScanFrame(layout, benchPixels(), {}, false, true).size();
    state.counters["line_time_ms"] = static_cast<double>(frameBytes) * 10.0 * 1000.0 / 115200.0;
    KAL_Close(0);
}
BENCHMARK(BM_ScanPeriodAt115200)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
