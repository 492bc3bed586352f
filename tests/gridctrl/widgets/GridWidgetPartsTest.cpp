// The grid window's parts replaced by the user's own classes, the grid made in the place of a
// dialog's control, and the sheet's pointers over each part.
#include "gridctrl/widgets/GridCellArea.h"
#include "gridctrl/widgets/GridDropTarget.h"
#include "gridctrl/widgets/GridHScrollBar.h"
#include "gridctrl/widgets/GridQtResources.h"
#include "gridctrl/widgets/GridSideHeading.h"
#include "gridctrl/widgets/GridTabBar.h"
#include "gridctrl/widgets/GridTopHeading.h"
#include "gridctrl/widgets/GridVScrollBar.h"
#include "gridctrl/widgets/GridWidget.h"
#include "platform/framework/ControlIds.h"
#include "tests/gridctrl/widgets/DesktopGridSystem.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace gridctrl::widgets {
namespace {

QApplication& widgetPartsApplication()
{
    static int argc = 1;
    static char name[] = "GridWidgetPartsTest";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the pointing device QTest makes must not outlive it at exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A part of the user's class: it counts its paints.
template <class Part> class CountingPart : public Part
{
public:
    using Part::Part;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        Part::paintEvent(event);
    }
};

class GridWidgetPartsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_grid.SetNumberCols(30);
        m_grid.SetNumberRows(300);
        m_grid.AddTab("First", 0);
        m_grid.AddTab("Second", 1);
        m_grid.SetCurrentTab(1);
        m_grid.SetTabBackColor(1, 0x00FF00);
        m_widget.resize(500, 300);
        m_widget.show();
        m_grid.AdjustComponentSizes();
    }

    static QRect rectOf(const model::GridRect& r)
    {
        return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }

    QApplication& m_app = widgetPartsApplication(); // before any widget
    test::DesktopGridSystem m_system;
    model::ScopedGridSystem m_scope{m_system};
    model::CGridControl m_grid;
    GridWidget m_widget{m_grid};
};

TEST_F(GridWidgetPartsTest, EachPartIsReplacedByTheUsersClass)
{
    const model::CGridSheetState& sheet = *m_grid.currentSheet();
    struct Case
    {
        const char* part;
        std::function<QWidget*()> current;
        std::function<QWidget*()> make;
        std::function<int(QWidget*)> replace;
        std::function<QRect()> place;
        std::function<int(QWidget*)> paints;
    };
    const Case cases[] = {
        {"cell area", [&] { return m_widget.cellArea(); },
         [&] { return new CountingPart<CGridCellArea>(m_grid, &m_widget); },
         [&](QWidget* w) { return m_widget.SetNewCellArea(static_cast<CGridCellArea*>(w)); },
         [&] { return rectOf(sheet.m_cellAreaRect); },
         [](QWidget* w) { return static_cast<CountingPart<CGridCellArea>*>(w)->paints; }},
        {"top heading", [&] { return m_widget.topHeading(); },
         [&] { return new CountingPart<CGridTopHeading>(m_grid, m_widget); },
         [&](QWidget* w) { return m_widget.SetNewTopHeading(static_cast<CGridTopHeading*>(w)); },
         [&] { return rectOf(sheet.m_topHeadingRect); },
         [](QWidget* w) { return static_cast<CountingPart<CGridTopHeading>*>(w)->paints; }},
        {"side heading", [&] { return m_widget.sideHeading(); },
         [&] { return new CountingPart<CGridSideHeading>(m_grid, m_widget); },
         [&](QWidget* w) { return m_widget.SetNewSideHeading(static_cast<CGridSideHeading*>(w)); },
         [&] { return rectOf(sheet.m_sideHeadingRect); },
         [](QWidget* w) { return static_cast<CountingPart<CGridSideHeading>*>(w)->paints; }},
        {"vertical scroll bar", [&] { return m_widget.vScrollBar(); },
         [&] { return new CountingPart<CGridVScrollBar>(m_grid, m_widget); },
         [&](QWidget* w) { return m_widget.SetNewVScrollBar(static_cast<CGridVScrollBar*>(w)); },
         [&] { return rectOf(sheet.m_vScrollRect); },
         [](QWidget* w) { return static_cast<CountingPart<CGridVScrollBar>*>(w)->paints; }},
        {"horizontal scroll bar", [&] { return m_widget.hScrollBar(); },
         [&] { return new CountingPart<CGridHScrollBar>(m_grid, m_widget); },
         [&](QWidget* w) { return m_widget.SetNewHScrollBar(static_cast<CGridHScrollBar*>(w)); },
         [&] { return rectOf(sheet.m_hScrollRect); },
         [](QWidget* w) { return static_cast<CountingPart<CGridHScrollBar>*>(w)->paints; }},
        {"tab bar", [&] { return m_widget.tabBar(); },
         [&] { return new CountingPart<CGridTabBar>(m_grid, &m_widget); },
         [&](QWidget* w) { return m_widget.SetNewTabBar(static_cast<CGridTabBar*>(w)); },
         [&] { return rectOf(sheet.m_tabBarRect); },
         [](QWidget* w) { return static_cast<CountingPart<CGridTabBar>*>(w)->paints; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.part);
        QPointer<QWidget> old = c.current();
        EXPECT_EQ(c.replace(nullptr), 1);
        EXPECT_EQ(c.replace(c.current()), 1);
        QWidget* replacement = c.make();
        ASSERT_EQ(c.replace(replacement), 0);
        EXPECT_TRUE(old.isNull());
        EXPECT_EQ(c.current(), replacement);
        EXPECT_EQ(replacement->parentWidget(), &m_widget);
        EXPECT_FALSE(c.place().isEmpty());
        EXPECT_EQ(replacement->geometry(), c.place());
        EXPECT_TRUE(replacement->isVisible());
        EXPECT_TRUE(QTest::qWaitFor([&] { return c.paints(replacement) > 0; }, 5000));
    }

    // The new parts do their work: a click on the new cell area moves the current cell and the
    // drop target watches it; the tabs moved to the new bar.
    EXPECT_EQ(m_widget.dropTarget()->parent(), m_widget.cellArea());
    model::GridRect r;
    m_grid.GetCellRect(2, 3, &r);
    QTest::mouseClick(m_widget.cellArea(), Qt::LeftButton, Qt::NoModifier,
                      QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    EXPECT_EQ(m_grid.GetCurrentCol(), 2);
    EXPECT_EQ(m_grid.GetCurrentRow(), 3);
    EXPECT_EQ(m_grid.GetTabLabel(0), "First");
    EXPECT_EQ(m_grid.GetTabLabel(1), "Second");
    EXPECT_EQ(m_grid.GetCurrentTab(), 1);
    EXPECT_EQ(m_widget.tabBar()->tabs().tabs()[1].backColor, 0x00FF00u);
}

// Counts the set-up hooks.
class SetupCountingControl : public model::CGridControl
{
public:
    void OnSetup() override { ++setups; }
    void OnSheetSetup(int sheet) override { sheetSetups.push_back(sheet); }
    int setups = 0;
    std::vector<int> sheetSetups;
};

TEST(GridWidgetOnDialog, TakesThePlaceOfTheDialogsControl)
{
    widgetPartsApplication();
    test::DesktopGridSystem system;
    model::ScopedGridSystem scope{system};
    // The control outlives the dialog that comes to own its window.
    SetupCountingControl control;
    QDialog dialog;
    dialog.resize(400, 300);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    dialog.setFont(font);
    auto* before = new QLineEdit(&dialog);
    auto* placeholder = new QWidget(&dialog);
    placeholder->setGeometry(10, 40, 300, 200);
    platform::framework::setControlId(placeholder, 1200);
    QPointer<QWidget> watched = placeholder;

    auto* grid = new GridWidget(control); // the dialog owns it once it takes the place
    EXPECT_EQ(grid->CreateGridOnDialogItem(&dialog, 999), 0);
    EXPECT_EQ(grid->CreateGridOnDialogItem(nullptr, 1200), 0);
    EXPECT_EQ(control.setups, 0);
    EXPECT_TRUE(grid->parentWidget() == nullptr);

    ASSERT_EQ(grid->CreateGridOnDialogItem(&dialog, 1200), 1);
    EXPECT_TRUE(watched.isNull());
    EXPECT_EQ(grid->parentWidget(), &dialog);
    EXPECT_EQ(grid->geometry(), QRect(10, 40, 300, 200));
    EXPECT_EQ(platform::framework::GetDlgItem(&dialog, 1200), grid);
    EXPECT_EQ(grid->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    EXPECT_EQ(before->nextInFocusChain() == grid || grid->isAncestorOf(before->nextInFocusChain()),
              true);
    EXPECT_EQ(control.setups, 1);
    EXPECT_EQ(control.sheetSetups, std::vector<int>{0});
    // The dialog's font is the sheet's default font.
    const auto* sheetFont =
        dynamic_cast<const model::GridFont*>(control.currentSheet()->m_defaultFont);
    ASSERT_NE(sheetFont, nullptr);
    EXPECT_EQ(sheetFont->spec().faceName, "DejaVu Sans");
    EXPECT_EQ(sheetFont->spec().height, -15);
    // Laid out in its new place.
    dialog.show();
    EXPECT_EQ(control.currentSheet()->m_cellAreaRect.right, 300);
}

TEST_F(GridWidgetPartsTest, TheSheetsPointerOverEachPart)
{
    model::GridCursor hand(model::GridCursorShape::PointingHand);
    model::GridCursor picture;
    picture.width = 3;
    picture.height = 3;
    picture.pixels.assign(9, 0xFF000000u);
    picture.hotX = 1;
    picture.hotY = 2;
    model::GridCursor cross(model::GridCursorShape::Cross);
    ASSERT_EQ(m_grid.SetArrowCursor(&hand), 0);
    ASSERT_EQ(m_grid.SetColSizeCursor(&picture), 0);
    ASSERT_EQ(m_grid.SetRowSizeCursor(&cross), 0);

    const model::CGridSheetState& sheet = *m_grid.currentSheet();
    model::GridRect first;
    m_grid.GetCellRect(0, 0, &first);
    const int colEdge = sheet.m_sideHeadingWidth + first.right; // in the top heading
    const int rowEdge = first.bottom;                           // in the side heading
    struct Case
    {
        const char* zone;
        QWidget* widget;
        QPoint point;
        Qt::CursorShape shape;
        bool picture;
    };
    const Case cases[] = {
        {"a cell", m_widget.cellArea(), QPoint(20, 5), Qt::PointingHandCursor, false},
        {"a column's edge", m_widget.topHeading(), QPoint(colEdge - sheet.m_sideHeadingWidth, 5),
         Qt::BitmapCursor, true},
        {"inside a column heading", m_widget.topHeading(), QPoint(20, 5), Qt::PointingHandCursor,
         false},
        {"a row's edge", m_widget.sideHeading(), QPoint(5, rowEdge), Qt::CrossCursor, false},
        {"the tab bar's sizing edge", m_widget.tabBar(), QPoint(m_widget.tabBar()->width() - 2, 5),
         Qt::BitmapCursor, true},
        {"the tab bar's tabs", m_widget.tabBar(), QPoint(60, 5), Qt::PointingHandCursor, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zone);
        c.widget->setMouseTracking(true);
        QTest::mouseMove(c.widget, c.point);
        EXPECT_TRUE(QTest::qWaitFor([&] { return c.widget->cursor().shape() == c.shape; }, 2000))
            << c.widget->cursor().shape();
        if (c.picture) {
            EXPECT_EQ(c.widget->cursor().hotSpot(), QPoint(1, 2));
        }
    }
}

TEST(GridQtResources, StandardShapesAndPictures)
{
    widgetPartsApplication();
    struct Case
    {
        model::GridCursorShape shape;
        Qt::CursorShape qt;
    };
    const Case cases[] = {
        {model::GridCursorShape::Arrow, Qt::ArrowCursor},
        {model::GridCursorShape::SizeWestEast, Qt::SizeHorCursor},
        {model::GridCursorShape::SizeNorthSouth, Qt::SizeVerCursor},
        {model::GridCursorShape::Cross, Qt::CrossCursor},
        {model::GridCursorShape::PointingHand, Qt::PointingHandCursor},
        {model::GridCursorShape::Wait, Qt::WaitCursor},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gridQCursor(model::GridCursor(c.shape)).shape(), c.qt);
    }
    // A picture whose pixels do not fit its size is not a picture.
    model::GridCursor broken;
    broken.width = 4;
    broken.height = 4;
    broken.pixels.assign(3, 0xFF000000u);
    EXPECT_EQ(gridQCursor(broken).shape(), Qt::ArrowCursor);

    QImage image(2, 3, QImage::Format_ARGB32);
    image.fill(qRgba(10, 20, 30, 255));
    const std::optional<model::GridBitmap> bitmap = gridBitmapOf(image);
    ASSERT_TRUE(bitmap.has_value());
    EXPECT_EQ(bitmap->width(), 2);
    EXPECT_EQ(bitmap->height(), 3);
    EXPECT_EQ(bitmap->pixels()[5], 0xFF0A141Eu);
    EXPECT_FALSE(gridBitmapOf(QImage()).has_value());
    EXPECT_FALSE(qtBitmapResource(4711, {}).has_value());
}

} // namespace
} // namespace gridctrl::widgets
