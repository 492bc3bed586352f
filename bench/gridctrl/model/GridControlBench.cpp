// The control's overhead over its cell store: 16 columns of 4096 rows set with QuickSetNumber
// and read back with GetCell, against the same cells set and read on the memory source, and
// sorting 100,000 rows of mixed texts and numbers through the control's comparison hook.
#include "gridctrl/model/GridControl.h"
#include "gridctrl/model/GridMemDataSource.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using gridctrl::model::CGridCellInfo;
using gridctrl::model::CGridControl;
using gridctrl::model::CGridMemDataSource;

constexpr int kCols = 16;
constexpr int kRows = 4096;

void BM_ControlQuickSetAndGet(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = std::make_unique<CGridControl>();
        grid->SetNumberCols(kCols);
        grid->SetNumberRows(kRows);
        state.ResumeTiming();
        for (int r = 0; r < kRows; ++r) {
            for (int c = 0; c < kCols; ++c) {
                grid->QuickSetNumber(c, r, r * 100.0 + c);
            }
        }
        CGridCellInfo cell;
        double sum = 0;
        for (int r = 0; r < kRows; ++r) {
            for (int c = 0; c < kCols; ++c) {
                grid->GetCell(c, r, &cell);
                sum += cell.GetNumber();
            }
        }
        benchmark::DoNotOptimize(sum);
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCols * kRows);
}
BENCHMARK(BM_ControlQuickSetAndGet)->Unit(benchmark::kMillisecond);

void BM_SourceSetAndGet(benchmark::State& state)
{
    for (auto _ : state) {
        auto source = std::make_unique<CGridMemDataSource>();
        CGridCellInfo cell;
        for (int r = 0; r < kRows; ++r) {
            for (int c = 0; c < kCols; ++c) {
                cell.SetNumber(r * 100.0 + c);
                source->SetCell(c, r, cell);
            }
        }
        double sum = 0;
        for (int r = 0; r < kRows; ++r) {
            for (int c = 0; c < kCols; ++c) {
                cell.ClearInfo();
                source->GetCell(c, r, cell);
                sum += cell.GetNumber();
            }
        }
        benchmark::DoNotOptimize(sum);
        state.PauseTiming();
        source.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kCols * kRows);
}
BENCHMARK(BM_SourceSetAndGet)->Unit(benchmark::kMillisecond);

void BM_ControlSortBy(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = std::make_unique<CGridControl>();
        grid->SetNumberCols(2);
        grid->SetNumberRows(rows);
        unsigned seed = 12345;
        for (int r = 0; r < rows; ++r) {
            seed = seed * 1103515245u + 12345u;
            if (seed % 3 == 0) {
                grid->QuickSetText(0, r, "t" + std::to_string(seed % 100000));
            } else {
                grid->QuickSetNumber(0, r, static_cast<double>(seed % 100000));
            }
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(grid->SortBy(0, 0));
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ControlSortBy)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
