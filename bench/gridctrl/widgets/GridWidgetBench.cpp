// The grid control's windows at work: a full repaint of a 1600 x 1000 cell area (20 columns
// of 80 pixels by 50 rows of 20, text and numbers) through the cell area's paint, and Page
// Down on a 100,000-row sheet, each step a key press on the cell area and the paint it asks
// for. Offscreen; the goal is one display frame (16 ms) per repaint and per step.
#include "gridctrl/model/GridControl.h"
#include "gridctrl/widgets/GridCellArea.h"
#include "gridctrl/widgets/GridWidget.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <string>

namespace {

using gridctrl::model::CGridControl;
using gridctrl::widgets::GridWidget;

constexpr int kCols = 20;
constexpr int kWidth = 80;
constexpr int kHeight = 20;

// A control whose 20 x 50 cells fill 1600 x 1000 pixels of its cell area (the area is 17
// pixels wider and taller: the bars' room is not needed), in a shown window.
void setUp(CGridControl& grid, GridWidget& widget, long rows)
{
    grid.SetNumberCols(kCols);
    grid.SetNumberRows(rows);
    for (int col = 0; col < kCols; ++col) {
        grid.SetColWidth(col, kWidth);
    }
    grid.SetDefaultRowHeight(kHeight);
    for (long row = 0; row < std::min(rows, 200L); ++row) {
        for (int col = 0; col < kCols; ++col) {
            if (col % 2 == 0) {
                grid.QuickSetText(col, row, "text " + std::to_string(row * kCols + col));
            } else {
                grid.QuickSetNumber(col, row, row * 1.5 + col);
            }
        }
    }
    const auto& sheet = *grid.currentSheet();
    widget.resize(1600 + sheet.m_sideHeadingWidth + 17, 1000 + sheet.m_topHeadingHeight + 17);
    widget.parentWidget()->resize(2000, 1400);
    widget.parentWidget()->show();
    grid.AdjustComponentSizes();
    QApplication::processEvents();
}

void BM_RepaintCellArea(benchmark::State& state)
{
    CGridControl grid;
    QWidget window;
    GridWidget widget(grid, &window);
    setUp(grid, widget, 50);
    auto* area = widget.cellArea();
    QImage image(area->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        area->Update();
        area->render(&image);
    }
    state.counters["width"] = area->width();
    state.counters["height"] = area->height();
}
BENCHMARK(BM_RepaintCellArea)->Unit(benchmark::kMillisecond);

void BM_PageDown(benchmark::State& state)
{
    CGridControl grid;
    QWidget window;
    GridWidget widget(grid, &window);
    setUp(grid, widget, 100000);
    auto* area = widget.cellArea();
    area->setFocus();
    grid.GotoCell(0, 0);
    QApplication::processEvents();
    for (auto _ : state) {
        if (grid.GetCurrentRow() >= grid.GetNumberRows() - 1) {
            state.PauseTiming();
            grid.GotoCell(0, 0);
            QApplication::processEvents();
            state.ResumeTiming();
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(area, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(area, &release);
        QApplication::processEvents(); // the paint the move asked for
    }
}
BENCHMARK(BM_PageDown)->Unit(benchmark::kMillisecond)->Iterations(1000);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
