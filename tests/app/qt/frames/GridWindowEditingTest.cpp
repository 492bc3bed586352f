// A grid window of the program as a spreadsheet user meets it, offscreen: Shift with the moving
// keys selects a block that Edit > Copy puts on the clipboard, moves without Shift and heading
// clicks without Ctrl replace the selection, and while a cell's editor is open Cut, Copy and
// Paste (keys and the Edit menu alike) work on the editor's text.
#include "app/dialogs/ValueDialog.h"
#include "app/res/ResourceIds.h"
#include "app/windows/qt/GridViewWidget.h"
#include "gridctrl/widgets/GridCellArea.h"
#include "gridctrl/widgets/GridCornerButton.h"
#include "gridctrl/widgets/GridSideHeading.h"
#include "gridctrl/widgets/GridTopHeading.h"
#include "gridctrl/widgets/GridVScrollBar.h"
#include "gridctrl/widgets/GridWidget.h"
#include "tests/app/dialogs/AnswerModal.h"
#include "tests/app/qt/RunUntil.h"
#include "tests/app/qt/frames/MainFrameFixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace app::res;

class GridWindowEditingTest : public frames_test::MainFrameFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(startProgram(true, QSize(1000, 700)));
        // File > New grid window, with the size dialog's defaults.
        answerNextModal<app::dialogs::ValueDialog>(
            [](app::dialogs::ValueDialog& dialog) { dialog.pressOk(); });
        ASSERT_TRUE(frame->executeCommand(ID_NEW_GRID_WINDOW));
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
        ASSERT_TRUE(runUntil(
            [&] { return frame->MDIGetActive() != nullptr && frame->MDIGetActive() != spectrum; },
            5000));
        grid = dynamic_cast<GridViewWidget*>(frame->MDIGetActive()->GetActiveView());
        ASSERT_NE(grid, nullptr);
        cells = grid->gridWindow().cellArea();
        cells->setFocus(Qt::OtherFocusReason);
        ASSERT_TRUE(runUntil([&] { return QApplication::focusWidget() == cells; }, 5000));
        auto& control = grid->core().grid();
        ASSERT_GE(control.GetNumberCols(), 5);
        ASSERT_GE(control.GetNumberRows(), 5);
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 5; ++col)
                control.QuickSetText(col, row,
                                     "r" + std::to_string(row) + "c" + std::to_string(col));
        QApplication::clipboard()->clear();
    }

    gridctrl::model::CHarluneGridCtrl& control() { return grid->core().grid(); }

    // A key where the user's key goes: the focus widget of the active window.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

    // A click on a cell, as a user starts somewhere; the view is scrolled back to the top left
    // first, where the cells the cases use are.
    void clickCell(int col, long row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        control().SetTopRow(0);
        control().SetLeftCol(0);
        gridctrl::model::GridRect rect;
        ASSERT_EQ(control().GetCellRect(col, row, &rect), 0);
        QTest::mouseClick(cells, Qt::LeftButton, modifiers,
                          QPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2));
        ASSERT_EQ(control().GetCurrentCol(), col);
        ASSERT_EQ(control().GetCurrentRow(), row);
    }

    // A click on the heading of a column or a row that the view shows, or on the corner.
    void clickColumnHeading(int col, Qt::KeyboardModifiers modifiers)
    {
        gridctrl::model::GridRect rect;
        ASSERT_EQ(control().GetCellRect(col, 0, &rect), 0);
        QWidget* heading = grid->gridWindow().topHeading();
        QTest::mouseClick(heading, Qt::LeftButton, modifiers,
                          QPoint((rect.left + rect.right) / 2, heading->height() / 2));
    }
    void clickRowHeading(long row, Qt::KeyboardModifiers modifiers)
    {
        gridctrl::model::GridRect rect;
        ASSERT_EQ(control().GetCellRect(0, row, &rect), 0);
        QWidget* heading = grid->gridWindow().sideHeading();
        QTest::mouseClick(heading, Qt::LeftButton, modifiers,
                          QPoint(heading->width() / 2, (rect.top + rect.bottom) / 2));
    }
    void clickCorner(Qt::KeyboardModifiers modifiers)
    {
        QWidget* corner = grid->gridWindow().cornerButton();
        QTest::mouseClick(corner, Qt::LeftButton, modifiers, corner->rect().center());
    }

    // A click on the down arrow of the vertical scroll bar.
    void scrollDownOneRow()
    {
        QScrollBar* bar = grid->gridWindow().vScrollBar();
        const long top = control().GetTopRow();
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier,
                          QPoint(bar->width() / 2, bar->height() - bar->width() / 2));
        ASSERT_EQ(control().GetTopRow(), top + 1);
    }

    // The text Edit > Copy gives for the cells that are selected: the selected cells row by
    // row, tabs between cells of a row, a line feed before a cell on a later row.
    std::string selectionText(const std::function<bool(int, long)>& selected)
    {
        std::string text;
        long lastRowTaken = -1;
        for (long row = 0; row < control().GetNumberRows(); ++row) {
            for (int col = 0; col < control().GetNumberCols(); ++col) {
                if (!selected(col, row))
                    continue;
                if (lastRowTaken >= 0)
                    text += lastRowTaken == row ? '\t' : '\n';
                text += control().QuickGetText(col, row);
                lastRowTaken = row;
            }
        }
        return text;
    }

    // The block's cells as the clipboard holds them: tabs between cells, line feeds between
    // rows.
    std::string blockText(int left, long top, int right, long bottom)
    {
        std::string text;
        for (long row = top; row <= bottom; ++row) {
            for (int col = left; col <= right; ++col) {
                if (col > left)
                    text += '\t';
                text += control().QuickGetText(col, row);
            }
            if (row < bottom)
                text += '\n';
        }
        return text;
    }

    // Chooses an item of the Edit menu with the mouse: a click on the menu bar opens the menu,
    // a click on the item runs it.
    void chooseFromEditMenu(unsigned id)
    {
        QMenuBar* bar = frame->menuBar();
        QAction* edit = nullptr;
        for (QAction* action : bar->actions())
            if (frames_test::menuText(action) == QStringLiteral("Edit"))
                edit = action;
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(edit->menu(), nullptr);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(edit).center());
        QMenu* menu = edit->menu();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QAction* item = nullptr;
        for (QAction* action : menu->actions())
            if (!action->isSeparator() && action->data().toUInt() == id)
                item = action;
        ASSERT_NE(item, nullptr) << id;
        ASSERT_TRUE(item->isEnabled()) << id;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        ASSERT_TRUE(runUntil([&] { return !menu->isVisible(); }, 5000));
    }

    // The open in-place editor of the grid (null while none is open).
    QPlainTextEdit* editor()
    {
        if (!control().isEditing())
            return nullptr;
        return dynamic_cast<QPlainTextEdit*>(control().editorInUse());
    }

    // Starts editing (1, 1) by typing, as a user does.
    void typeIntoCell(const char* text)
    {
        ASSERT_NO_FATAL_FAILURE(clickCell(1, 1));
        ASSERT_EQ(QApplication::focusWidget(), cells);
        // The first character opens the editor, which takes the focus and the rest.
        for (const char* ch = text; *ch != '\0'; ++ch)
            QTest::keyClicks(QApplication::focusWidget(), QString(QLatin1Char(*ch)));
        ASSERT_NE(editor(), nullptr);
        ASSERT_EQ(QApplication::focusWidget(), editor());
        ASSERT_EQ(editor()->toPlainText(), QString::fromLatin1(text));
    }

    GridViewWidget* grid = nullptr;
    QWidget* cells = nullptr;
};

TEST_F(GridWindowEditingTest, ShiftWithTheMovingKeysSelectsABlockThatEditCopyCopies)
{
    struct Key
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const int lastCol = control().GetNumberCols() - 1;
    const long lastRow = control().GetNumberRows() - 1;
    const struct
    {
        const char* name;
        std::vector<Key> keys;
        int right;
        long bottom;
    } cases[] = {
        {"Shift+Right", {{Qt::Key_Right, shift}}, 2, 1},
        {"Shift+Down", {{Qt::Key_Down, shift}}, 1, 2},
        {"Shift+Right twice, Shift+Down",
         {{Qt::Key_Right, shift}, {Qt::Key_Right, shift}, {Qt::Key_Down, shift}},
         3,
         2},
        {"Shift+End", {{Qt::Key_End, shift}}, lastCol, 1},
        {"Ctrl+Shift+End", {{Qt::Key_End, shift | Qt::ControlModifier}}, 1, lastRow},
        {"Shift+Right, then Right alone", {{Qt::Key_Right, shift}, {Qt::Key_Right, {}}}, -1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(clickCell(1, 1));
        for (const Key& key : c.keys)
            press(key.key, key.modifiers);
        // The anchor stays the current cell while the block grows from it.
        if (c.right >= 0) {
            EXPECT_EQ(control().GetCurrentCol(), 1);
            EXPECT_EQ(control().GetCurrentRow(), 1);
        }
        QApplication::clipboard()->clear();
        ASSERT_NO_FATAL_FAILURE(runMenuItem({"Edit", "Copy"}));
        const std::string expected =
            c.right >= 0 ? blockText(1, 1, c.right, c.bottom) : control().QuickGetText(3, 1);
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), expected);
    }
}

TEST_F(GridWindowEditingTest, MovesWithoutShiftAndHeadingClicksWithoutCtrlReplaceTheSelection)
{
    const long lastRow = control().GetNumberRows() - 1;
    for (int col = 0; col < 5; ++col)
        control().QuickSetText(col, lastRow, "last" + std::to_string(col));
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    // Every case starts from the block (1, 1) to (2, 2), made with the keys.
    const auto inBlock = [](int col, long row) {
        return col >= 1 && col <= 2 && row >= 1 && row <= 2;
    };
    const auto onlyCurrent = [&](int col, long row) {
        return col == control().GetCurrentCol() && row == control().GetCurrentRow();
    };
    const struct
    {
        const char* name;
        std::function<void()> act;
        std::function<bool(int, long)> selected;
        long currentRow; // the row the current cell must reach, -1: any
    } cases[] = {
        {"Ctrl+End", [&] { press(Qt::Key_End, ctrl); }, onlyCurrent, lastRow},
        {"Ctrl+Home", [&] { press(Qt::Key_Home, ctrl); }, onlyCurrent, 0},
        {"Ctrl+Down", [&] { press(Qt::Key_Down, ctrl); }, onlyCurrent, -1},
        {"Right", [&] { press(Qt::Key_Right, none); }, onlyCurrent, -1},
        {"End", [&] { press(Qt::Key_End, none); }, onlyCurrent, -1},
        {"column heading", [&] { clickColumnHeading(3, none); },
         [](int col, long) { return col == 3; }, -1},
        {"row heading", [&] { clickRowHeading(3, none); }, [](int, long row) { return row == 3; },
         -1},
        {"corner", [&] { clickCorner(none); }, [](int, long) { return true; }, -1},
        {"Ctrl+column heading", [&] { clickColumnHeading(4, ctrl); },
         [&](int col, long row) { return inBlock(col, row) || col == 4; }, -1},
        {"Ctrl+row heading", [&] { clickRowHeading(4, ctrl); },
         [&](int col, long row) { return inBlock(col, row) || row == 4; }, -1},
        {"Shift+column heading", [&] { clickColumnHeading(3, shift); },
         [](int col, long) { return col >= 1 && col <= 3; }, -1},
        {"Shift+row heading", [&] { clickRowHeading(0, shift); },
         [](int, long row) { return row <= 1; }, -1},
        {"Ctrl+click", [&] { clickCell(4, 4, ctrl); },
         [&](int col, long row) { return inBlock(col, row) || (col == 4 && row == 4); }, -1},
        // Scrolling keeps the selection.
        {"column heading, scroll down",
         [&] {
             clickColumnHeading(3, none);
             scrollDownOneRow();
         },
         [](int col, long) { return col == 3; }, -1},
        {"Shift+Down, scroll down",
         [&] {
             press(Qt::Key_Down, shift);
             scrollDownOneRow();
         },
         [](int col, long row) { return col >= 1 && col <= 2 && row >= 1 && row <= 3; }, -1},
        // A click on the cell clicked before the heading is a new click.
        {"click, Ctrl+column heading, the same click",
         [&] {
             clickCell(3, 3);
             clickColumnHeading(0, ctrl);
             clickCell(3, 3);
         },
         onlyCurrent, 3},
        {"click, Shift+row heading, the same click",
         [&] {
             clickCell(3, 3);
             clickRowHeading(4, shift);
             clickCell(3, 3);
         },
         onlyCurrent, 3},
        // Shift stretches the last block only: the block before stays.
        {"Ctrl+click, Shift+column heading",
         [&] {
             clickCell(4, 4, ctrl);
             clickColumnHeading(3, shift);
         },
         [&](int col, long row) { return inBlock(col, row) || col == 3 || col == 4; }, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(clickCell(1, 1));
        press(Qt::Key_Right, shift);
        press(Qt::Key_Down, shift);
        c.act();
        if (c.currentRow >= 0) {
            EXPECT_EQ(control().GetCurrentRow(), c.currentRow);
        }
        // Taken before the copy, which clears the selection.
        const std::string expected = selectionText(c.selected);
        QApplication::clipboard()->clear();
        ASSERT_NO_FATAL_FAILURE(runMenuItem({"Edit", "Copy"}));
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), expected);
    }
}

TEST_F(GridWindowEditingTest, PasteWhileTypingGoesIntoTheEditorAndLeavesTheNeighboursAlone)
{
    QApplication::clipboard()->setText(QStringLiteral("pasted\tblock\nof cells"));
    ASSERT_NO_FATAL_FAILURE(typeIntoCell("ab"));
    press(Qt::Key_V, Qt::ControlModifier);
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->toPlainText(), QStringLiteral("abpasted\tblock\nof cells"));
    EXPECT_EQ(control().QuickGetText(2, 1), "r1c2");
    EXPECT_EQ(control().QuickGetText(1, 2), "r2c1");
    EXPECT_EQ(control().QuickGetText(1, 1), "r1c1"); // not stored before the edit ends
    // Enter stores the editor's text in its own cell and goes on to the cell below.
    press(Qt::Key_Return);
    EXPECT_EQ(control().QuickGetText(1, 1), "abpasted\tblock\nof cells");
    press(Qt::Key_Escape);
    EXPECT_FALSE(control().isEditing());
    EXPECT_EQ(control().QuickGetText(2, 1), "r1c2");
    EXPECT_EQ(control().QuickGetText(1, 2), "r2c1");
    EXPECT_EQ(control().QuickGetText(2, 2), "r2c2");

    // A single cell copied elsewhere comes with a line end, which is not part of its text.
    QApplication::clipboard()->setText(QStringLiteral("12.5\r\n"));
    ASSERT_NO_FATAL_FAILURE(typeIntoCell("x"));
    press(Qt::Key_V, Qt::ControlModifier);
    press(Qt::Key_Return);
    EXPECT_EQ(control().QuickGetText(1, 1), "x12.5");
    press(Qt::Key_Escape);
}

TEST_F(GridWindowEditingTest, CopyAndCutWhileTypingTakeTheEditorsSelectedText)
{
    ASSERT_NO_FATAL_FAILURE(typeIntoCell("hello world"));
    // The last word selected with the keys.
    for (int i = 0; i < 5; ++i)
        press(Qt::Key_Left, Qt::ShiftModifier);
    ASSERT_EQ(editor()->textCursor().selectedText(), QStringLiteral("world"));
    press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("world"));
    EXPECT_EQ(editor()->toPlainText(), QStringLiteral("hello world"));
    EXPECT_EQ(control().QuickGetText(1, 1), "r1c1");

    press(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("world"));
    EXPECT_EQ(editor()->toPlainText(), QStringLiteral("hello "));
    // The cell keeps its text until the edit ends.
    EXPECT_EQ(control().QuickGetText(1, 1), "r1c1");
    press(Qt::Key_Escape);
    EXPECT_EQ(control().QuickGetText(1, 1), "r1c1");
}

TEST_F(GridWindowEditingTest, TheEditMenuWorksOnTheOpenEditorsText)
{
    ASSERT_NO_FATAL_FAILURE(typeIntoCell("abc def"));
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_Left, Qt::ShiftModifier);
    ASSERT_NO_FATAL_FAILURE(chooseFromEditMenu(CHarluneGridView::ID_EDIT_COPY));
    // The menu gave the focus back: the edit goes on.
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("def"));
    EXPECT_TRUE(runUntil([&] { return QApplication::focusWidget() == editor(); }, 5000));

    ASSERT_NO_FATAL_FAILURE(chooseFromEditMenu(CHarluneGridView::ID_EDIT_CUT));
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->toPlainText(), QStringLiteral("abc "));

    QApplication::clipboard()->setText(QStringLiteral("xyz"));
    ASSERT_NO_FATAL_FAILURE(chooseFromEditMenu(CHarluneGridView::ID_EDIT_PASTE));
    ASSERT_NE(editor(), nullptr);
    EXPECT_EQ(editor()->toPlainText(), QStringLiteral("abc xyz"));
    EXPECT_EQ(control().QuickGetText(2, 1), "r1c2");
    press(Qt::Key_Return);
    EXPECT_EQ(control().QuickGetText(1, 1), "abc xyz");
    press(Qt::Key_Escape);

    // With no editor open the menu works on the sheet again.
    ASSERT_FALSE(control().isEditing());
    ASSERT_NO_FATAL_FAILURE(clickCell(3, 3));
    ASSERT_NO_FATAL_FAILURE(chooseFromEditMenu(CHarluneGridView::ID_EDIT_COPY));
    EXPECT_EQ(QApplication::clipboard()->text().trimmed(), QStringLiteral("r3c3"));
}

} // namespace
