// Drawing 1000 cells (20 columns of 80 pixels by 50 rows of 20: a 1600 x 1000 area) through
// CDC into an image: normal cells of text and numbers, and the same area of
// check-box, drop-list and arrow cells; the normal cells once more with their texts drawn from
// the glyphs a window's text cache keeps across paints.
#include "gridctrl/model/GridControl.h"
#include "gridctrl/widgets/GridCellDrawing.h"
#include "gridctrl/widgets/GridTextCache.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <string>

namespace {

namespace fw = platform::framework;
using gridctrl::model::CGridCellInfo;
using gridctrl::model::CGridControl;

constexpr int kCols = 20;
constexpr int kRows = 50;
constexpr int kWidth = 80;  // 20 x 80 = 1600
constexpr int kHeight = 20; // 50 x 20 = 1000

void fill(CGridControl& grid, int type)
{
    grid.SetNumberCols(kCols);
    grid.SetNumberRows(kRows);
    for (int row = 0; row < kRows; ++row) {
        for (int col = 0; col < kCols; ++col) {
            if (type == 0) {
                if (col % 2 == 0) {
                    grid.QuickSetText(col, row, "text " + std::to_string(row * kCols + col));
                } else {
                    grid.QuickSetNumber(col, row, row * 1.5 + col);
                }
            } else {
                grid.QuickSetCellType(col, row, type);
                grid.QuickSetNumber(col, row, (row + col) % 2);
                grid.QuickSetLabel(col, row, "one\ntwo\n");
            }
        }
    }
}

void drawAll(benchmark::State& state, int type, bool laidOut = false)
{
    CGridControl grid;
    fill(grid, type);
    QImage image(kCols * kWidth, kRows * kHeight, QImage::Format_RGB32);
    std::vector<CGridCellInfo> cells(kCols * kRows);
    gridctrl::widgets::GridTextCache cache;
    gridctrl::widgets::GridCellDrawState drawState;
    drawState.textCache = laidOut ? &cache : nullptr;
    for (auto _ : state) {
        QPainter painter(&image);
        fw::CDC dc(&painter, &image);
        cache.beginPaint(painter, &image);
        for (int row = 0; row < kRows; ++row) {
            for (int col = 0; col < kCols; ++col) {
                CGridCellInfo& cell = cells[static_cast<std::size_t>(row * kCols + col)];
                grid.GetDisplayCell(col, row, &cell);
                gridctrl::widgets::drawGridCell(
                    dc, grid,
                    fw::RECT{col * kWidth, row * kHeight, (col + 1) * kWidth, (row + 1) * kHeight},
                    col, row, cell, drawState);
            }
        }
        cache.endPaint();
    }
    state.SetItemsProcessed(state.iterations() * kCols * kRows);
}

void BM_DrawNormalCells(benchmark::State& state)
{
    drawAll(state, 0);
}
BENCHMARK(BM_DrawNormalCells)->Unit(benchmark::kMillisecond);

void BM_DrawNormalCellsLaidOut(benchmark::State& state)
{
    drawAll(state, 0, true);
}
BENCHMARK(BM_DrawNormalCellsLaidOut)->Unit(benchmark::kMillisecond);

void BM_DrawDropListCells(benchmark::State& state)
{
    drawAll(state, 1);
}
BENCHMARK(BM_DrawDropListCells)->Unit(benchmark::kMillisecond);

void BM_DrawCheckBoxCells(benchmark::State& state)
{
    drawAll(state, 2);
}
BENCHMARK(BM_DrawCheckBoxCells)->Unit(benchmark::kMillisecond);

void BM_DrawArrowCells(benchmark::State& state)
{
    drawAll(state, 3);
}
BENCHMARK(BM_DrawArrowCells)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv); // fonts need the application
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
