// End-of-scan processing per scan: the library's routines with their sliding boxcar and
// with the direct sum of 2w + 1 pixels in its place, and the same corrections with the
// boxcar as a sliding sum and as the direct sum, for pixel counts
// 256 to 3648, half-widths 0 to 500 and 1 or 8 channels. Every correction is on
// (averaging, non-linearity, even/odd dark, stray light, boxcar). The counter
// allocs_per_scan must stay 0.
#include "driver/core/DriverStartup.h"
#include "driver/core/DriverState.h"
#include "driver/core/EndOfScan.h"
#include "driver/core/EndOfScanSteps.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

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

namespace driver::core {
namespace {

constexpr std::size_t kBufferFloats = 4096;

struct Channels
{
    std::vector<std::vector<float>> buffers;
    std::vector<float> input;

    Channels(int count, std::size_t floats)
        : buffers(static_cast<std::size_t>(count)), input(floats)
    {
        for (std::size_t i = 0; i < floats; ++i)
            input[i] = 1000.0f + static_cast<float>((i * 7919) % 3001);
        for (auto& b : buffers)
            b = input;
    }

    void refill()
    {
        for (auto& b : buffers)
            std::copy(input.begin(), input.end(), b.begin());
    }
};

void directBoxcar(std::span<float> buffer, std::span<float> scratch, int w, int first, int last)
{
    if (w <= 0 || first > last)
        return;
    std::copy(buffer.begin(), buffer.begin() + last + w + 1, scratch.begin());
    for (int j = first; j <= last; ++j) {
        double sum = 0.0;
        for (int i = j - w; i <= j + w; ++i)
            sum += scratch[static_cast<std::size_t>(i)];
        buffer[static_cast<std::size_t>(j)] = static_cast<float>(sum / (2.0 * w + 1.0));
    }
}

// The corrections of the 2048-pixel routine with the boxcar range w + 15 to pixels - 1 - w,
// so the width matters at every pixel count.
template <bool Sliding> void correctionsBench(benchmark::State& bench)
{
    const int pixels = static_cast<int>(bench.range(0));
    const int w = static_cast<int>(bench.range(1));
    const int channelCount = static_cast<int>(bench.range(2));
    Channels channels(channelCount, kBufferFloats);
    std::vector<float> scratch(kBufferFloats);
    const std::array<double, 8> nl{0.97, 1.1e-5, -3e-10, 1e-15, 0, 0, 0, 0};
    float even = 0.0f;
    float odd = 0.0f;
    const long before = g_allocations.load();
    for (auto _ : bench) {
        bench.PauseTiming();
        channels.refill();
        bench.ResumeTiming();
        for (auto& b : channels.buffers) {
            std::span<float> all(b);
            std::span<float> used = all.first(static_cast<std::size_t>(pixels));
            averagePixels(used, 3);
            correctNonLinearity(used, nl);
            correctEvenOddDark(all, pixels, even, odd);
            correctStrayLight(used, 0.01f, 8388608.0);
            if constexpr (Sliding)
                boxcarSmooth(all, scratch, w, w + 15, pixels - 1 - w);
            else
                directBoxcar(all, scratch, w, w + 15, pixels - 1 - w);
        }
        benchmark::DoNotOptimize(channels.buffers[0].data());
    }
    bench.counters["allocs_per_scan"] = static_cast<double>(g_allocations.load() - before) /
                                        static_cast<double>(bench.iterations());
}

void BM_SlidingBoxcar(benchmark::State& bench)
{
    correctionsBench<true>(bench);
}

void BM_DirectBoxcar(benchmark::State& bench)
{
    correctionsBench<false>(bench);
}

// A routine of the library on the current record (window 0, so nothing is delivered),
// with its own sliding boxcar, or with the boxcar off and the direct sum of 2w + 1 pixels
// over the same range instead (the routine as it would be without the sliding sum).
struct RoutineUnderTest
{
    void (*routine)(RegistrationRecord*);
    std::uint16_t spectrometerType;
    int boxcarFirstOffset; // the range is w + this ...
    bool boxcarTo2047;     // ... to 2047 - w, else to pixels - 1 - w
};

constexpr RoutineUnderTest kIstrelRoutine{EndOfScanIstrel, VYK_SPEC_ISTREL, 16, true};
constexpr RoutineUnderTest kJolvarRoutine{EndOfScanJolvar, VYK_SPEC_JOLVAR, 15, false};

template <const RoutineUnderTest& Routine, bool Direct> void routineBench(benchmark::State& bench)
{
    const int pixels = static_cast<int>(bench.range(0));
    const int w = static_cast<int>(bench.range(1));
    const int channelCount = static_cast<int>(bench.range(2));
    attachDriver();
    Channels channels(channelCount, kBufferFloats);
    std::vector<float> scratch(kBufferFloats);
    RegistrationRecord record{};
    record.instanceKey = 77;
    record.scansToAverage = 3;
    record.boxcarHalfWidth = static_cast<int16_t>(Direct ? 0 : w);
    record.correctForDark = 1;
    for (int c = 0; c < channelCount; ++c) {
        record.channelEnables[c] = 1;
        record.channelBuffers[c] = channels.buffers[static_cast<std::size_t>(c)].data();
    }
    {
        DriverState& state = driverState();
        std::lock_guard lock(state.mutex);
        state.pixelCount = pixels;
        state.spectrometerType = Routine.spectrometerType;
        state.adcType = VYK_ADC_NONE;
        for (auto& corrections : state.corrections) {
            corrections.nlCoefficients = {0.97, 1.1e-5, -3e-10, 1e-15, 0, 0, 0, 0};
            corrections.nlEnable = 1;
            corrections.slEnable = 1;
            corrections.slConstant = 0.01f;
        }
    }
    const int first = w + Routine.boxcarFirstOffset;
    const int last = (Routine.boxcarTo2047 ? 2047 : pixels - 1) - w;
    const long before = g_allocations.load();
    for (auto _ : bench) {
        bench.PauseTiming();
        channels.refill();
        for (int c = 0; c < channelCount; ++c)
            record.channelEnables[c] = 1; // the routine may leave channel 0 alone enabled
        bench.ResumeTiming();
        Routine.routine(&record);
        if constexpr (Direct) {
            for (auto& b : channels.buffers)
                directBoxcar(b, scratch, w, first, last);
        }
        benchmark::DoNotOptimize(channels.buffers[0].data());
    }
    bench.counters["allocs_per_scan"] = static_cast<double>(g_allocations.load() - before) /
                                        static_cast<double>(bench.iterations());
    detachDriver();
}

void BM_EndOfScanIstrelRoutine(benchmark::State& bench)
{
    routineBench<kIstrelRoutine, false>(bench);
}

void BM_EndOfScanIstrelRoutineDirectBoxcar(benchmark::State& bench)
{
    routineBench<kIstrelRoutine, true>(bench);
}

// The 3648-pixel type's routine (non-linearity, even/odd dark, stray light, boxcar).
void BM_EndOfScanJolvarRoutine(benchmark::State& bench)
{
    routineBench<kJolvarRoutine, false>(bench);
}

void BM_EndOfScanJolvarRoutineDirectBoxcar(benchmark::State& bench)
{
    routineBench<kJolvarRoutine, true>(bench);
}

// The boxcar step alone.
template <bool Sliding> void boxcarBench(benchmark::State& bench)
{
    const int pixels = static_cast<int>(bench.range(0));
    const int w = static_cast<int>(bench.range(1));
    const int channelCount = static_cast<int>(bench.range(2));
    Channels channels(channelCount, kBufferFloats);
    std::vector<float> scratch(kBufferFloats);
    for (auto _ : bench) {
        for (auto& b : channels.buffers) {
            if constexpr (Sliding)
                boxcarSmooth(b, scratch, w, w + 15, pixels - 1 - w);
            else
                directBoxcar(b, scratch, w, w + 15, pixels - 1 - w);
        }
        benchmark::DoNotOptimize(channels.buffers[0].data());
    }
}

void BM_BoxcarStepSliding(benchmark::State& bench)
{
    boxcarBench<true>(bench);
}

void BM_BoxcarStepDirect(benchmark::State& bench)
{
    boxcarBench<false>(bench);
}

void arguments(benchmark::internal::Benchmark* b)
{
    for (int channels : {1, 8})
        for (int pixels : {256, 1024, 2048, 3648})
            for (int w : {0, 5, 50, 500})
                b->Args({pixels, w, channels});
    b->ArgNames({"pixels", "w", "channels"});
}

BENCHMARK(BM_SlidingBoxcar)->Apply(arguments);
BENCHMARK(BM_DirectBoxcar)->Apply(arguments);
BENCHMARK(BM_EndOfScanIstrelRoutine)->Apply(arguments);
BENCHMARK(BM_EndOfScanIstrelRoutineDirectBoxcar)->Apply(arguments);
BENCHMARK(BM_EndOfScanJolvarRoutine)->Apply(arguments);
BENCHMARK(BM_EndOfScanJolvarRoutineDirectBoxcar)->Apply(arguments);
BENCHMARK(BM_BoxcarStepSliding)->Apply(arguments);
BENCHMARK(BM_BoxcarStepDirect)->Apply(arguments);

} // namespace
} // namespace driver::core

BENCHMARK_MAIN();
