// The grid control's windows at work: a full repaint of a 1600 x 1000 cell area (20 columns
// of 80 pixels by 50 rows of 20, text and numbers) through the cell area's paint, and Page
// Down on a 100,000-row sheet, each step a key press on the cell area and the paint it asks
// for. Offscreen; the goal is one display frame (16 ms) per repaint and per step. The same
// full repaint of a QTableWidget with the same cells runs beside it as the peer, and the
// ratio of the two is printed at the end.
#include "gridctrl/model/GridControl.h"
#include "gridctrl/widgets/GridCellArea.h"
#include "gridctrl/widgets/GridWidget.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QTableWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

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

// The peer: a QTableWidget of the same 20 x 50 cells of 80 x 20 pixels, texts and numbers,
// its viewport repainted whole into an image of the same size.
void BM_QTableWidgetRepaint(benchmark::State& state)
{
    QWidget window;
    auto* table = new QTableWidget(50, kCols, &window);
    table->horizontalHeader()->setDefaultSectionSize(kWidth);
    table->verticalHeader()->setDefaultSectionSize(kHeight);
    table->verticalHeader()->setMinimumSectionSize(kHeight);
    for (int row = 0; row < 50; ++row) {
        for (int col = 0; col < kCols; ++col) {
            auto* item = new QTableWidgetItem();
            if (col % 2 == 0) {
                item->setText(QString("text %1").arg(row * kCols + col));
            } else {
                item->setData(Qt::DisplayRole, row * 1.5 + col);
            }
            table->setItem(row, col, item);
        }
    }
    table->resize(1600 + table->verticalHeader()->width() + 17,
                  1000 + table->horizontalHeader()->height() + 17);
    window.resize(2000, 1400);
    window.show();
    QApplication::processEvents();
    QWidget* area = table->viewport();
    QImage image(area->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        area->update();
        area->render(&image);
    }
    state.counters["width"] = area->width();
    state.counters["height"] = area->height();
}
BENCHMARK(BM_QTableWidgetRepaint)->Unit(benchmark::kMillisecond);

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

// Keeps each benchmark's real time per iteration for the ratio printed at the end.
class GridBenchReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                seconds[r.run_name.function_name] = r.real_accumulated_time / r.iterations;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    GridBenchReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ours = reporter.seconds.find("BM_RepaintCellArea");
    auto theirs = reporter.seconds.find("BM_QTableWidgetRepaint");
    if (ours != reporter.seconds.end() && theirs != reporter.seconds.end() && ours->second > 0)
        std::printf("QTableWidget repaint / our repaint: %.1f times\n",
                    theirs->second / ours->second);
    benchmark::Shutdown();
    return 0;
}
