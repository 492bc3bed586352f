#include "gridctrl/model/HarluneGridCtrl.h"
#include "gridctrl/widgets/GridInPlaceEdit.h"
#include "gridctrl/widgets/GridWidget.h"
#include "tests/gridctrl/widgets/DesktopGridSystem.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace gridctrl::widgets {
namespace {

QApplication& editorsApplication()
{
    static int argc = 1;
    static char name[] = "GridEditorsTest";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the devices QTest makes must not outlive it at exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// A control that drops the character "x" in its OnEditKey hook.
class DroppingControl : public model::CHarluneGridCtrl
{
public:
    int OnEditKey(int, long, model::CGridEditBase*, unsigned* key) override
    {
        return *key == 'x' ? 0 : 1;
    }
};

class GridEditorsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_window.resize(640, 400);
        m_widget->setGeometry(0, 0, 640, 400);
        m_grid.SetNumberCols(5);
        m_grid.SetNumberRows(5);
        m_grid.QuickSetText(1, 1, "old");
        m_window.show();
        m_grid.AdjustComponentSizes();
        QApplication::setActiveWindow(&m_window);
    }

    QWidget* editorWidget() const { return dynamic_cast<QWidget*>(m_grid.editorInUse()); }

    QApplication& m_app = editorsApplication();
    test::DesktopGridSystem m_system;
    model::ScopedGridSystem m_scope{m_system};
    DroppingControl m_grid;
    QWidget m_window;
    GridWidget* m_widget = new GridWidget(m_grid, &m_window);
};

TEST_F(GridEditorsTest, KeysMoveOn)
{
    struct Case
    {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        int col;
        long row;
    } cases[] = {
        {"Tab", Qt::Key_Tab, Qt::NoModifier, 2, 1},
        {"Shift+Tab", Qt::Key_Backtab, Qt::ShiftModifier, 0, 1},
        {"Enter", Qt::Key_Return, Qt::NoModifier, 1, 2},
        {"Down", Qt::Key_Down, Qt::NoModifier, 1, 2},
        {"Up", Qt::Key_Up, Qt::NoModifier, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(m_grid.StartEditAt(1, 1, 0), 0);
        QWidget* editor = editorWidget();
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, "new");
        QTest::keyClick(editor, static_cast<Qt::Key>(c.key), c.modifiers);
        EXPECT_EQ(m_grid.QuickGetText(1, 1), "new");
        EXPECT_TRUE(m_grid.isEditing());
        EXPECT_EQ(m_grid.editCol(), c.col);
        EXPECT_EQ(m_grid.editRow(), c.row);
        m_grid.CancelEdit();
        m_grid.QuickSetText(1, 1, "old");
    }
}

TEST_F(GridEditorsTest, EscapeLeavesTheTextAndKeysCanBeDropped)
{
    ASSERT_EQ(m_grid.StartEditAt(1, 1, 0), 0);
    QWidget* editor = editorWidget();
    QTest::keyClicks(editor, "changed");
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(m_grid.isEditing());
    EXPECT_EQ(m_grid.QuickGetText(1, 1), "old");
    ASSERT_EQ(m_grid.StartEditAt(1, 1, 0), 0);
    QTest::keyClicks(editorWidget(), "axbx");
    EXPECT_EQ(m_grid.editorInUse()->editText(), "ab");
    m_grid.CancelEdit();
}

TEST_F(GridEditorsTest, FocusLossEndsOrCancels)
{
    QLineEdit outside(&m_window);
    outside.setGeometry(0, 380, 50, 20);
    outside.show();
    ASSERT_EQ(m_grid.StartEditAt(1, 1, 0), 0);
    editorWidget()->setFocus();
    QTest::keyClicks(editorWidget(), "kept");
    outside.setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(m_grid.isEditing());
    EXPECT_EQ(m_grid.QuickGetText(1, 1), "kept");
    m_grid.currentSheet()->m_cancelEditOnFocusLoss = 1;
    ASSERT_EQ(m_grid.StartEditAt(1, 1, 0), 0);
    editorWidget()->setFocus();
    QTest::keyClicks(editorWidget(), "lost");
    outside.setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(m_grid.isEditing());
    EXPECT_EQ(m_grid.QuickGetText(1, 1), "kept");
}

TEST_F(GridEditorsTest, MaskedEditTypesLiteralsFirst)
{
    model::CGridCellInfo cell;
    m_grid.GetCell(2, 2, &cell);
    cell.SetMask("(#0)");
    cell.SetText("");
    m_grid.SetCell(2, 2, &cell);
    ASSERT_EQ(m_grid.StartEditAt(2, 2, 0), 0);
    auto* masked = dynamic_cast<CGridEdit*>(m_grid.editorInUse());
    ASSERT_NE(masked, nullptr);
    QTest::keyClicks(masked, "-a5");
    EXPECT_EQ(masked->editText(), "(-5");
    QTest::keyClicks(masked, ")9");
    EXPECT_EQ(masked->editText(), "(-5)");
    EXPECT_EQ(masked->GetMaskedText(), "(-5)");
    m_grid.CancelEdit();
}

TEST_F(GridEditorsTest, PastingIntoTheMaskedEditKeepsToTheMask)
{
    model::CGridCellInfo cell;
    m_grid.GetCell(2, 2, &cell);
    cell.SetMask("(#0)");
    cell.SetText("");
    m_grid.SetCell(2, 2, &cell);
    ASSERT_EQ(m_grid.StartEditAt(2, 2, 0), 0);
    auto* masked = dynamic_cast<CGridEdit*>(m_grid.editorInUse());
    ASSERT_NE(masked, nullptr);
    // Characters the mask refuses are left out, as if typed; a literal is typed first.
    QApplication::clipboard()->setText(QStringLiteral("-ax5)9\n"));
    masked->pasteText();
    EXPECT_EQ(masked->editText(), "(-5)");
    m_grid.CancelEdit();
}

TEST_F(GridEditorsTest, InPlaceEditGrowsToCellEdgesAndNeverBelowItsCell)
{
    ASSERT_EQ(m_grid.StartEditAt(1, 1, 0), 0);
    auto* edit = dynamic_cast<CGridInPlaceEdit*>(m_grid.editorInUse());
    ASSERT_NE(edit, nullptr);
    const QRect start = edit->geometry();
    const model::GridRect area = m_grid.currentSheet()->m_cellAreaRect;
    auto onColumnEdge = [&](int right) {
        for (int col = 0; col < m_grid.GetNumberCols(); ++col) {
            model::GridRect r;
            m_grid.GetCellRect(col, 1, &r);
            if (area.left + r.right == right) {
                return true;
            }
        }
        return right == area.right;
    };
    auto onRowEdge = [&](int bottom) {
        for (long row = 0; row < m_grid.GetNumberRows(); ++row) {
            model::GridRect r;
            m_grid.GetCellRect(1, row, &r);
            if (area.top + r.bottom == bottom) {
                return true;
            }
        }
        return bottom == area.bottom;
    };
    // A word wider than the cell widens the edit; words that wrap deepen it.
    edit->setPlainText("aWordMuchWiderThanTheCellItIsTypedIn");
    QRect grown = edit->geometry();
    EXPECT_GT(grown.width(), start.width());
    EXPECT_EQ(grown.topLeft(), start.topLeft());
    EXPECT_TRUE(onColumnEdge(grown.right() + 1)) << grown.right();
    edit->setPlainText("many words that wrap over several lines of the cells below it, "
                       "many words that wrap over several lines of the cells below it, "
                       "many words that wrap over several lines of the cells below it");
    grown = edit->geometry();
    EXPECT_GT(grown.height(), start.height());
    EXPECT_TRUE(onRowEdge(grown.bottom() + 1)) << grown.bottom();
    EXPECT_LE(grown.right() + 1, area.right);
    EXPECT_EQ(edit->grownHeight(), grown.height());
    // Emptied, the edit keeps at least the cell it started on.
    edit->setPlainText("");
    EXPECT_TRUE(edit->geometry().contains(start));
    m_grid.CancelEdit();

    // Without text overflow the edit stays on its cell.
    m_grid.EnableTextOverflow(0);
    ASSERT_EQ(m_grid.StartEditAt(1, 1, 0), 0);
    edit->setPlainText("aWordMuchWiderThanTheCellItIsTypedIn and more words to wrap");
    EXPECT_EQ(edit->geometry(), start);
    m_grid.CancelEdit();
}

TEST_F(GridEditorsTest, TypingStartsAnEditInTheHarluneControl)
{
    m_grid.GotoCell(3, 3);
    m_widget->QWidget::setFocus();
    QTest::keyClick(m_widget, Qt::Key_Q);
    ASSERT_TRUE(m_grid.isEditing());
    EXPECT_EQ(m_grid.editorInUse()->editText(), "q");
    m_grid.CancelEdit();
}

} // namespace
} // namespace gridctrl::widgets
