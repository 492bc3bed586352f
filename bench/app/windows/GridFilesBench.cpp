// Writing and reading a grid sheet of 4096 rows and 17 columns as a CSV file (the size of a
// spectrum with its channels side by side). Goal: each under 100 ms.
#include "app/windows/HarluneGridView.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

class QuietHost : public GridViewHost
{
public:
    int VerifyCommand(int) override { return 1; }
    void logException(const char*, int) override {}
    std::vector<std::string> chooseOpenFiles(const std::string&, const std::vector<GridFileFilter>&,
                                             const std::string&) override
    {
        return {};
    }
    std::optional<std::string> chooseSaveFile(const std::string&,
                                              const std::vector<GridFileFilter>&,
                                              const std::string&) override
    {
        return std::nullopt;
    }
};

constexpr int kCols = 17;
constexpr int kRows = 4096;

// The sheet's file; $HARLUNE_BENCH_GRID_CSV names it and keeps it for the peers' script
// (bench/app/windows/grid_csv_peers.py), which reads the same file.
std::string benchFile()
{
    if (const char* kept = std::getenv("HARLUNE_BENCH_GRID_CSV"); kept && *kept)
        return kept;
    return (std::filesystem::temp_directory_path() /
            ("harlune-gridbench-" + std::to_string(getpid()) + ".csv"))
        .string();
}

void removeUnlessKept(const std::string& path)
{
    const char* kept = std::getenv("HARLUNE_BENCH_GRID_CSV");
    if (!kept || !*kept)
        std::filesystem::remove(path);
}

long minorFaults()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

void fill(CHarluneGridView& view)
{
    view.InitGrid(kCols, kRows, 1, nullptr);
    std::vector<double> column(kRows);
    for (int c = 1; c <= kCols; ++c) {
        for (int r = 0; r < kRows; ++r)
            column[static_cast<std::size_t>(r)] = 200.0 + r * 0.25 + c * 1e-3;
        view.PutArrayInColumn(c, 1, column.data(), kRows);
    }
}

void BM_SaveSheet(benchmark::State& state)
{
    QuietHost host;
    CHarluneGridView view(host);
    fill(view);
    const std::string path = benchFile();
    for (auto _ : state)
        if (!view.SaveSheet(0, path))
            state.SkipWithError("save failed");
    removeUnlessKept(path);
}
BENCHMARK(BM_SaveSheet)->Unit(benchmark::kMillisecond);

void BM_OpenSheetIntoNew(benchmark::State& state)
{
    QuietHost host;
    CHarluneGridView view(host);
    fill(view);
    const std::string path = benchFile();
    view.SaveSheet(0, path);
    // Page faults taken while opening: fresh pages from the system cost more than the
    // parsing on a virtual machine.
    long faults = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A fresh grid each time, so that the sheet count stays far below the last one.
        auto target = std::make_unique<CHarluneGridView>(host);
        target->InitGrid(1, 1, 1, nullptr);
        const long faultsBefore = minorFaults();
        state.ResumeTiming();
        if (!target->OpenSheetIntoNew(path, "bench"))
            state.SkipWithError("open failed");
        state.PauseTiming();
        faults += minorFaults() - faultsBefore;
        target.reset();
        state.ResumeTiming();
    }
    state.counters["page_faults"] =
        benchmark::Counter(static_cast<double>(faults), benchmark::Counter::kAvgIterations);
    removeUnlessKept(path);
}
BENCHMARK(BM_OpenSheetIntoNew)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
