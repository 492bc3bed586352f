#include "gridctrl/model/GridControl.h"
#include "gridctrl/widgets/GridQtClipboard.h"
#include "gridctrl/widgets/GridQtFindDialog.h"
#include "platform/qt/fake/ScriptedUiServices.h"
#include "tests/gridctrl/model/FakeGridSystem.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace gridctrl::widgets {
namespace {

QApplication& application()
{
    static int argc = 1;
    static char name[] = "GridQtPartsTest";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

class GridQtPartsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        application();
        m_grid.SetNumberCols(3);
        m_grid.SetNumberRows(5);
        m_grid.QuickSetText(1, 3, "Needle");
    }

    model::test::FakeGridSystem m_system;
    model::ScopedGridSystem m_scope{m_system};
    platform::qt::ScriptedUiServices m_services;
    platform::qt::ScopedUiServices m_installed{m_services};
    model::CGridControl m_grid;
};

TEST_F(GridQtPartsTest, FindDialogReachesTheControl)
{
    GridQtFindDialog dialog(m_grid);
    m_grid.setFindDialog(&dialog);
    m_grid.SetFindOption(1); // every column
    ASSERT_EQ(m_grid.FindDialog(), 0);
    EXPECT_EQ(m_grid.ReplaceDialog(), 1);
    ASSERT_EQ(m_services.findReplaceDialogs().size(), 1u);
    EXPECT_EQ(m_services.findReplaceDialogs()[0].wholeWordCaption, "Match &entire cell text");
    EXPECT_FALSE(m_services.findReplaceDialogs()[0].replace);

    platform::qt::FindReplaceReport report;
    report.findText = "needle";
    report.findNext = true;
    ASSERT_TRUE(m_services.reportFindReplace(report));
    EXPECT_EQ(m_grid.GetCurrentCol(), 1);
    EXPECT_EQ(m_grid.GetCurrentRow(), 3);

    report.findText = "nothing";
    m_services.reportFindReplace(report);
    EXPECT_EQ(m_services.findReplaceActivations(), 1);

    platform::qt::FindReplaceReport closing;
    closing.closing = true;
    m_services.reportFindReplace(closing);
    EXPECT_FALSE(m_grid.isFindDialogOpen());
    ASSERT_EQ(m_grid.ReplaceDialog(), 0);
    EXPECT_TRUE(m_services.findReplaceDialogs()[1].replace);
    m_grid.setFindDialog(nullptr);
}

TEST_F(GridQtPartsTest, FindDialogClosesWithItsOwner)
{
    {
        GridQtFindDialog dialog(m_grid);
        ASSERT_TRUE(dialog.open(false));
        EXPECT_TRUE(m_services.isFindReplaceDialogOpen());
    }
    EXPECT_FALSE(m_services.isFindReplaceDialogOpen());
}

TEST_F(GridQtPartsTest, ClipboardCarriesTheSelectionAsText)
{
    GridQtClipboard clipboard;
    m_grid.setClipboard(&clipboard);
    m_grid.QuickSetText(0, 0, "a");
    m_grid.QuickSetText(1, 0, "b");
    m_grid.SetMultiSelectMode(1);
    m_grid.SelectRange(0, 0, 1, 0);
    ASSERT_EQ(m_grid.Copy(), 0);
    EXPECT_EQ(clipboard.text(), "a\tb");
    m_grid.GotoCell(0, 2);
    ASSERT_EQ(m_grid.Paste(), 0);
    EXPECT_EQ(m_grid.QuickGetText(1, 2), "b");
}

} // namespace
} // namespace gridctrl::widgets
