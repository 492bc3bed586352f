// Processing of one scan of 8 channels of 3648 pixels in every mode (the target for
// Absorbance is under 1 ms), and writing and reading a 4096-point spectrum as a text file
// with header (target: text written at 50 MB/s or more) and as an SPC file. The write
// benchmarks report the formatting alone and the whole atomic write to disk.
#include "app/spectrum/SpectrumDataFile.h"
#include "app/spectrum/SpectrumProcessing.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

using namespace app::spectrum;

namespace {

constexpr unsigned kPixels = 3648;

std::unique_ptr<ChannelSpectra> scanOfEightChannels()
{
    auto spectra = std::make_unique<ChannelSpectra>();
    for (int k = 0; k < kSpectrumChannels; ++k) {
        for (unsigned i = 0; i < kPixels; ++i) {
            spectra->sample[k][i] = 1000.0 + 900.0 * std::sin(i * 0.01 + k);
            spectra->dark[k][i] = 50.0 + (i % 7);
            spectra->sampleDark[k][i] = 60.0 + (i % 5);
            spectra->reference[k][i] = 3000.0 + 100.0 * std::cos(i * 0.003);
            spectra->wavelengths[k][i] = 200.0 + i * 0.25;
        }
        spectra->darkStored[k] = spectra->referenceStored[k] = spectra->sampleDarkStored[k] = 1;
    }
    computeBlackbodyCurves(*spectra, {1, 1, 1, 1, 1, 1, 1, 1}, kPixels, 3100.0, false);
    return spectra;
}

void processMode(benchmark::State& state)
{
    auto spectra = scanOfEightChannels();
    ProcessingSetup setup;
    setup.pixelCount = kPixels;
    ProcessingState processing;
    processing.mode = static_cast<ProcessingMode>(state.range(0));
    processing.timeNormalization = static_cast<int>(state.range(1));
    for (int k = 0; k < kSpectrumChannels; ++k) {
        setup.channels[k].enabledInConfiguration = 1;
        // Half the channels monitored wavelength by wavelength through the master.
        setup.channels[k].referenceType = k % 2 == 0 ? 0 : 2;
        for (unsigned i = 0; i < kPixels; ++i)
            setup.channels[k].pixelMap[i] = static_cast<uint16_t>(i);
        processing.channelEnables[k] = 1;
    }
    for (auto _ : state) {
        ProcessSpectra(*spectra, setup, processing);
        benchmark::DoNotOptimize(spectra->processed[7][kPixels - 1]);
    }
    state.SetItemsProcessed(state.iterations() * kSpectrumChannels * kPixels);
}
BENCHMARK(processMode)
    ->ArgNames({"mode", "timeNormalized"})
    ->ArgsProduct(
        {{Scope, Absorbance, Transmission, RelativeIrradiance, Custom, SpecularReflection}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

void blackbodyCurves(benchmark::State& state)
{
    auto spectra = scanOfEightChannels();
    for (auto _ : state) {
        computeBlackbodyCurves(*spectra, {1, 1, 1, 1, 1, 1, 1, 1}, kPixels, 3100.0, false);
        benchmark::DoNotOptimize(spectra->irradianceConversion[7][0]);
    }
}
BENCHMARK(blackbodyCurves)->Unit(benchmark::kMicrosecond);

struct Spectrum4096
{
    Spectrum4096()
    {
        for (int i = 0; i < kSpectrumPoints; ++i) {
            wavelengths[i] = 180.0 + i * 0.2137;
            values[i] = 12345.678 * std::sin(i * 0.001) + 0.5;
        }
        header.version = "3.1.0";
        header.date = "12/09/2026 10:11:12";
        header.serialNumber = "ISB1234567";
        header.spectrometerType = "Istrel";
        header.adcType = "PavikPlus";
        header.numberOfPoints = kSpectrumPoints;
        header.temperature = kTemperatureNotAcquired;
    }
    SpectrumFileHeader header;
    SpectrumArray wavelengths{};
    SpectrumArray values{};
};

std::string benchFolder()
{
    const char* base = std::getenv("HARLUNE_TEST_DIR");
    const std::filesystem::path folder =
        std::filesystem::path(base != nullptr ? base : std::filesystem::temp_directory_path()) /
        "spectrum-bench";
    std::filesystem::create_directories(folder);
    return folder.string();
}

void formatText(benchmark::State& state)
{
    const Spectrum4096 s;
    const RowFormat rowFormat{state.range(0) != 0, 3};
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text =
            formatTextDataFile(s.header, true, s.wavelengths, s.values, rowFormat);
        bytes += text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(formatText)->ArgName("exponential")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void writeFile(benchmark::State& state)
{
    const Spectrum4096 s;
    SpectrumPreferences preferences;
    preferences.FileOverwriteWarning = 0;
    DataFileContext context{preferences, nullptr, nullptr};
    const int format = static_cast<int>(state.range(0));
    const std::string path = benchFolder() + "/write.sample";
    for (auto _ : state) {
        if (writeDataFile(context, path, s.header, format, s.wavelengths.data(), s.values.data()) !=
            kDataFileOk)
            state.SkipWithError("write failed");
    }
    const std::string written = format == kSpcXy ? path + ".spc" : path;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(written)));
}
BENCHMARK(writeFile)
    ->ArgName("format")
    ->Arg(kTextWithHeader)
    ->Arg(kSpcXy)
    ->Unit(benchmark::kMicrosecond);

void readFile(benchmark::State& state)
{
    const Spectrum4096 s;
    SpectrumPreferences preferences;
    preferences.FileOverwriteWarning = 0;
    DataFileContext context{preferences, nullptr, nullptr};
    const int format = static_cast<int>(state.range(0));
    const std::string path = benchFolder() + "/read.sample";
    writeDataFile(context, path, s.header, format, s.wavelengths.data(), s.values.data());
    const std::string file = format == kSpcXy ? path + ".spc" : path;
    SpectrumFileHeader header;
    auto wavelengths = std::make_unique<SpectrumArray>();
    auto values = std::make_unique<SpectrumArray>();
    for (auto _ : state) {
        if (readDataFile(context, file, header, *wavelengths, *values) != kDataFileOk)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize((*values)[4095]);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(readFile)
    ->ArgName("format")
    ->Arg(kTextWithHeader)
    ->Arg(kSpcXy)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
