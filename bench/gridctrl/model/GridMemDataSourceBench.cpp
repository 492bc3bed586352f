// Cell store costs: setting and reading a 1000 x 1000 sheet row by row (the walking cursor
// makes each access O(1)), and sorting 100,000 rows.
#include "gridctrl/model/GridMemDataSource.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

namespace {

using gridctrl::model::CGridCellInfo;
using gridctrl::model::CGridMemDataSource;

void fillRowByRow(CGridMemDataSource& source, int cols, int rows)
{
    CGridCellInfo cell;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            cell.SetNumber(r * 1000.0 + c);
            source.SetCell(c, r, cell);
        }
    }
}

void BM_SetCellsRowByRow(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    for (auto _ : state) {
        auto source = std::make_unique<CGridMemDataSource>();
        fillRowByRow(*source, side, side);
        benchmark::DoNotOptimize(source->GetLastRow());
        state.PauseTiming();
        source.reset(); // freeing is not part of the measure
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(BM_SetCellsRowByRow)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_GetCellsRowByRow(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    CGridMemDataSource source;
    fillRowByRow(source, side, side);
    CGridCellInfo cell;
    for (auto _ : state) {
        double sum = 0;
        for (int r = 0; r < side; ++r) {
            for (int c = 0; c < side; ++c) {
                cell.ClearInfo();
                source.GetCell(c, r, cell);
                sum += cell.GetNumber();
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * side * side);
}
BENCHMARK(BM_GetCellsRowByRow)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_SortRows(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto source = std::make_unique<CGridMemDataSource>();
        CGridCellInfo cell;
        std::uint32_t seed = 12345;
        for (int r = 0; r < rows; ++r) {
            seed = seed * 1664525u + 1013904223u; // a fixed pseudo-random order
            cell.SetNumber(static_cast<double>(seed % 100000u));
            source->SetCell(0, r, cell);
            cell.SetText("row");
            source->SetCell(1, r, cell);
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(source->SortBy(0, 0));
        state.PauseTiming();
        source.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_SortRows)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
