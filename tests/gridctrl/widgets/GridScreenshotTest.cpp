#include "gridctrl/model/GridCellTypeGeometry.h"
#include "gridctrl/model/HarluneGridCtrl.h"
#include "gridctrl/widgets/GridCellArea.h"
#include "gridctrl/widgets/GridWidget.h"

#include <QDir>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace gridctrl::widgets {
namespace {

// The grid on a real X server: joined cells, each cell type, a selection and several tabs.
// The screenshot is kept as an artefact to look at, not compared with a stored one.
TEST(GridScreenshotTest, JoinsCellTypesSelectionAndTabs)
{
    model::CHarluneGridCtrl grid;
    QWidget window;
    window.resize(760, 420);
    GridWidget widget(grid, &window);
    widget.setGeometry(0, 0, 760, 420);
    grid.SetNumberCols(10);
    grid.SetNumberRows(60);
    for (int col = 0; col < 10; ++col) {
        grid.QuickSetText(col, -1, std::string(1, static_cast<char>('A' + col)));
    }
    for (long row = 0; row < 60; ++row) {
        grid.QuickSetText(-1, row, std::to_string(row + 1));
        grid.QuickSetNumber(0, row, row * 0.25);
    }
    grid.EnableJoins(1);
    grid.JoinCellBlock(1, 1, 3, 2);
    grid.QuickSetText(1, 1, "Joined block");
    grid.QuickSetAlignment(1, 1, 4 | 32);
    grid.QuickSetCellType(1, 4, 2);
    grid.QuickSetNumber(1, 4, 1);
    grid.QuickSetLabel(1, 4, "Checked");
    grid.QuickSetCellType(2, 4, 2);
    grid.QuickSetCellTypeEx(2, 4, model::kParamCheckThreeState);
    grid.QuickSetNumber(2, 4, 2);
    grid.QuickSetLabel(2, 4, "Undecided");
    grid.QuickSetCellType(3, 4, 1);
    grid.QuickSetText(3, 4, "Choice");
    grid.QuickSetLabel(3, 4, "Choice\nOther\n");
    grid.QuickSetCellType(4, 4, 3);
    grid.QuickSetCellTypeEx(4, 4, 0x40);
    grid.QuickSetBackColor(5, 4, 0xCCFFFF);
    grid.QuickSetText(5, 4, "Coloured");
    grid.SetMultiSelectMode(1);
    grid.GotoCell(5, 6);
    grid.SelectRange(5, 6, 7, 9);
    for (int i = 0; i < 5; ++i) {
        grid.AddTab("Sheet " + std::to_string(i + 1), i);
    }
    grid.SetTabWidth(360);
    grid.SetCurrentTab(1);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    grid.AdjustComponentSizes();
    grid.RedrawAll();
    // The X server shows the pixels once the paint has been flushed: the empty cell (8, 12)
    // is white.
    model::GridRect cell;
    grid.GetCellRect(8, 12, &cell);
    const QPoint probe = widget.cellArea()->mapTo(&window, QPoint(cell.left + 5, cell.top + 5));
    QImage shot;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            shot = window.screen()->grabWindow(window.winId()).toImage();
            return !shot.isNull() && shot.pixel(probe) == qRgb(255, 255, 255);
        },
        20000));
    QDir().mkpath(HARLUNE_ARTEFACT_DIR);
    ASSERT_TRUE(shot.save(QStringLiteral(HARLUNE_ARTEFACT_DIR) + "/grid-screenshot.png", "PNG"));
    // The selection shows in the highlight colour, which is not white.
    grid.GetCellRect(6, 8, &cell);
    const QPoint selected = widget.cellArea()->mapTo(&window, QPoint(cell.left + 5, cell.top + 5));
    EXPECT_NE(shot.pixel(selected), qRgb(255, 255, 255));
}

} // namespace
} // namespace gridctrl::widgets
