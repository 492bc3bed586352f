// The grid window's view over the real grid control: the members with their 1-based
// numbers, the failure rule, the commands and the mended faults.
#include "app/windows/HarluneGridView.h"

#include "gridctrl/model/GridSystem.h"
#include "platform/automation/TypeLibraryEnums.h"
#include "tests/app/windows/GridViewFakes.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace {

using grid_test::FakeClipboard;
using grid_test::FakeGridHost;
using gridctrl::model::CGridCellInfo;
using gridctrl::model::CGridControl;
namespace mv = platform::automation;

class GridViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.grid().setClipboard(&clipboard);
        ASSERT_TRUE(view.InitGrid(3, 5, 2, "T"));
    }

    std::string text(int col, long row) { return view.grid().QuickGetText(col, row); }
    CGridCellInfo cell(int col, long row)
    {
        CGridCellInfo c;
        view.grid().GetCell(col, row, &c);
        return c;
    }

    FakeGridHost host;
    FakeClipboard clipboard;
    CHarluneGridView view{host};
};

TEST_F(GridViewTest, NewGridHasLabelledTabsAndHeadingsOnEverySheet)
{
    auto& g = view.grid();
    EXPECT_EQ(host.title, "T");
    EXPECT_EQ(g.GetNumberSheets(), 2);
    EXPECT_EQ(g.GetTabLabel(0), "Sheet 1");
    EXPECT_EQ(g.GetTabLabel(1), "Sheet 2");
    EXPECT_EQ(g.GetCurrentSheet(), 0);
    EXPECT_EQ(view.currentTabSheet(), 0);
    EXPECT_EQ(g.currentSheet()->m_tabBarWidth, 200);
    for (int sheet = 1; sheet >= 0; --sheet) {
        SCOPED_TRACE(sheet);
        ASSERT_TRUE(view.SetActiveSheet(sheet + 1));
        EXPECT_EQ(g.GetNumberCols(), 3);
        EXPECT_EQ(g.GetNumberRows(), 5);
        EXPECT_EQ(g.currentSheet()->m_multiSelection, 1);
        for (long r = 0; r < 5; ++r)
            EXPECT_EQ(text(-1, r), std::to_string(r + 1));
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(text(c, -1), std::to_string(c + 1));
    }
}

TEST_F(GridViewTest, MembersCountFromOneAndInsertRowPassesItsNumberOn)
{
    ASSERT_TRUE(view.SetCellValue(1, 1, 2.5));
    EXPECT_DOUBLE_EQ(cell(0, 0).GetNumber(), 2.5);
    EXPECT_DOUBLE_EQ(view.GetCellValue(1, 1), 2.5);
    ASSERT_TRUE(view.RenameColumn(1, "Wavelength"));
    EXPECT_EQ(text(0, -1), "Wavelength");
    ASSERT_TRUE(view.RenameRow(2, "second"));
    EXPECT_EQ(text(-1, 1), "second");

    ASSERT_TRUE(view.SetCellText(1, 1, "first"));
    ASSERT_TRUE(view.SetCellText(1, 2, "second"));
    ASSERT_TRUE(view.InsertRow(1)); // before 0-based row 1: between the first two rows
    EXPECT_EQ(text(0, 0), "first");
    EXPECT_EQ(text(0, 1), "");
    EXPECT_EQ(text(0, 2), "second");
    ASSERT_TRUE(view.DeleteRow(1)); // the first row
    EXPECT_EQ(text(0, 0), "");
    EXPECT_EQ(text(0, 1), "second");
}

TEST_F(GridViewTest, ColumnSetSparesHeadingsAndSheetBorderReachesThem)
{
    const unsigned short headingFormat = cell(1, -1).GetFormat();
    ASSERT_TRUE(view.SetColumnFormat(2, 5));
    for (long r = 0; r < 5; ++r)
        EXPECT_EQ(cell(1, r).GetFormat(), 5);
    EXPECT_EQ(cell(1, -1).GetFormat(), headingFormat);
    EXPECT_EQ(view.GetColumnFormat(2), 5);
    ASSERT_TRUE(view.SetColumnFormat(2, 1));
    EXPECT_EQ(view.GetColumnFormat(2), 1);

    ASSERT_TRUE(view.SetSheetBackgroundColor(0x123456));
    EXPECT_EQ(cell(2, 4).GetBackColor(), 0x123456u);
    EXPECT_FALSE(cell(0, -1).HasProperty(CGridCellInfo::kPropBackColor));
    EXPECT_FALSE(cell(-1, 0).HasProperty(CGridCellInfo::kPropBackColor));

    ASSERT_TRUE(view.SetSheetBorder(15));
    EXPECT_EQ(cell(-1, -1).GetBorder(), 15);
    EXPECT_EQ(cell(0, -1).GetBorder(), 15);
    EXPECT_EQ(cell(-1, 4).GetBorder(), 15);
    EXPECT_EQ(cell(2, 4).GetBorder(), 15);
    EXPECT_GE(host.waitCursors, 2);
    EXPECT_EQ(host.waitDepthBalance, -host.waitCursors);
}

TEST_F(GridViewTest, HeadingMembersChangeTheHeadingDefault)
{
    ASSERT_TRUE(view.SetHeadingBackgroundColor(0xABCDEF));
    EXPECT_EQ(view.GetHeadingBackgroundColor(), 0xABCDEF);
    const long font = view.RegisterFont("Courier", 12, 400);
    ASSERT_GE(font, 0);
    ASSERT_TRUE(view.SetHeadingFont(static_cast<int>(font)));
    EXPECT_FALSE(view.SetHeadingFont(9999)); // no such font: nothing stored
}

TEST_F(GridViewTest, InsertSheetRefusesTheSheetAfterTheLast)
{
    auto& g = view.grid();
    ASSERT_EQ(g.SetNumberSheets(CGridControl::kMaxSheets), 0);
    const int current = g.GetCurrentSheet();
    const int tabs = g.tabBar().GetTabCount();
    EXPECT_FALSE(view.InsertSheet(2, 2, "more"));
    EXPECT_EQ(g.GetNumberSheets(), CGridControl::kMaxSheets);
    EXPECT_EQ(g.GetCurrentSheet(), current);
    EXPECT_EQ(g.tabBar().GetTabCount(), tabs);
}

TEST_F(GridViewTest, InsertSheetAddsALabelledCurrentSheet)
{
    ASSERT_TRUE(view.InsertSheet(4, 6, "data"));
    auto& g = view.grid();
    EXPECT_EQ(g.GetNumberSheets(), 3);
    EXPECT_EQ(g.GetCurrentSheet(), 2);
    EXPECT_EQ(view.currentTabSheet(), 2);
    EXPECT_EQ(g.GetTabLabel(2), "data");
    EXPECT_EQ(g.GetNumberCols(), 4);
    EXPECT_EQ(g.GetNumberRows(), 6);
    EXPECT_EQ(text(3, -1), "4");
    EXPECT_EQ(text(-1, 5), "6");
}

TEST_F(GridViewTest, CopyRangeKeepsTheCurrentCell)
{
    ASSERT_TRUE(view.SetCellText(2, 2, "x"));
    ASSERT_EQ(view.grid().GotoCell(0, 4), 0);
    ASSERT_TRUE(view.CopyRange(2, 2, 3, 4, false));
    EXPECT_EQ(view.grid().GetCurrentCol(), 0);
    EXPECT_EQ(view.grid().GetCurrentRow(), 4);
    ASSERT_TRUE(clipboard.text_.has_value());
    EXPECT_EQ(clipboard.text_->substr(0, 1), "x");
    ASSERT_TRUE(view.CopyColumn(1, false));
    EXPECT_EQ(view.grid().GetCurrentRow(), 4);
}

TEST_F(GridViewTest, RefusedEditCommandDoesNothing)
{
    host.verdict = 0;
    for (const auto& [id, verify] : {std::pair{CHarluneGridView::ID_EDIT_COPY, mv::mvGridEditCopy},
                                     {CHarluneGridView::ID_EDIT_CUT, mv::mvGridEditCut},
                                     {CHarluneGridView::ID_EDIT_PASTE, mv::mvGridEditPaste}}) {
        host.verified.clear();
        ASSERT_TRUE(view.OnCommand(id));
        ASSERT_EQ(host.verified.size(), 1u);
        EXPECT_EQ(host.verified[0], verify);
    }
    EXPECT_EQ(clipboard.sets, 0);
    EXPECT_EQ(host.waitCursors, 0);

    host.verdict = 1;
    ASSERT_TRUE(view.OnCommand(CHarluneGridView::ID_EDIT_COPY));
    EXPECT_EQ(clipboard.sets, 1);
    EXPECT_EQ(host.waitCursors, 1);
    EXPECT_EQ(host.waitDepthBalance, -1);
}

TEST_F(GridViewTest, PrintCommandsAskFirst)
{
    host.verdict = 0;
    view.OnCommand(CHarluneGridView::ID_FILE_PRINT);
    view.OnCommand(CHarluneGridView::ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(host.prints + host.previews, 0);
    host.verdict = 1;
    view.OnCommand(CHarluneGridView::ID_FILE_PRINT);
    view.OnCommand(CHarluneGridView::ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(host.prints, 1);
    EXPECT_EQ(host.previews, 1);
    EXPECT_EQ(host.verified, (std::vector<int>{mv::mvGridFilePrint, mv::mvGridFilePrintPreview,
                                               mv::mvGridFilePrint, mv::mvGridFilePrintPreview}));
    EXPECT_FALSE(view.OnCommand(12345));
}

TEST_F(GridViewTest, AnExceptionIsLoggedAndAnswersTheMembersFailureValue)
{
    view.setFaultHook([] { throw std::runtime_error("injected"); });
    struct Case
    {
        const char* name;
        std::function<bool()> failedAsExpected;
    };
    char buffer[CHarluneGridView::kTextBufferSize];
    const Case cases[] = {
        {"BOOL", [&] { return view.SetCellValue(1, 1, 1.0) == false; }},
        {"RegisterFont", [&] { return view.RegisterFont("Arial", 10, 0) == -1; }},
        {"GetCellFormat", [&] { return view.GetCellFormat(1, 1) == -1; }},
        {"GetCellValue", [&] { return view.GetCellValue(1, 1) == 0.0; }},
        {"other getter", [&] { return view.GetCellTextColor(1, 1) == 0; }},
        {"column getter", [&] { return view.GetColumnFormat(1) == 0; }},
        {"text", [&] { return view.GetCellText(1, 1, buffer) == false; }},
        {"file", [&] { return view.OpenSheetIntoNew("/nonexistent", nullptr) == false; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.logged.clear();
        EXPECT_TRUE(c.failedAsExpected());
        ASSERT_EQ(host.logged.size(), 1u);
        EXPECT_EQ(host.logged[0].first, "HarluneGridView");
        EXPECT_GT(host.logged[0].second, 0);
    }
    // An Edit command's failure is logged too, and the wait cursor is taken down again.
    host.logged.clear();
    view.OnCommand(CHarluneGridView::ID_EDIT_COPY);
    EXPECT_EQ(host.logged.size(), 1u);
    EXPECT_EQ(host.waitDepthBalance, -host.waitCursors);
}

TEST_F(GridViewTest, RefusedWritesAnswerFalse)
{
    struct Case
    {
        const char* name;
        std::function<bool()> member;
    };
    const double values[] = {1.0, 2.0, 3.0};
    const Case refused[] = {
        {"value past the last column", [&] { return view.SetCellValue(4, 1, 1.0); }},
        {"text past the last row", [&] { return view.SetCellText(1, 6, "x"); }},
        {"colour", [&] { return view.SetCellTextColor(9, 9, 0xFF); }},
        {"column format", [&] { return view.SetColumnFormat(4, 2); }},
        {"column array too long", [&] { return view.PutArrayInColumn(1, 4, values, 3); }},
        {"rename a missing sheet", [&] { return view.RenameSheet(7, "x"); }},
        {"delete a missing sheet", [&] { return view.DeleteSheet(7); }},
        {"activate a missing sheet", [&] { return view.SetActiveSheet(3); }},
        {"unknown font", [&] { return view.SetCellFont(1, 1, 4096); }},
        {"select outside the sheet", [&] { return view.SetActiveCell(4, 1); }},
        {"copy outside the sheet", [&] { return view.CopyCell(1, 0, false); }},
        {"range reaching past the last column", [&] { return view.CopyRange(2, 1, 4, 2, true); }},
        {"column past the last", [&] { return view.CopyColumn(4, true); }},
        {"paste outside the sheet", [&] { return view.Paste(1, 6); }},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.member());
    }
    // Writes that fit are still made.
    EXPECT_DOUBLE_EQ(view.GetCellValue(1, 4), 1.0);
    EXPECT_DOUBLE_EQ(view.GetCellValue(1, 5), 2.0);
    EXPECT_TRUE(view.PutArrayInRow(1, 1, values, 3));
}

TEST_F(GridViewTest, DeletingTheCurrentSheetShowsTheSheetOfTheNewCurrentTab)
{
    ASSERT_TRUE(view.SetActiveSheet(2));
    ASSERT_TRUE(view.SetCellText(1, 1, "on two"));
    ASSERT_TRUE(view.DeleteSheet(2));
    EXPECT_EQ(view.currentTabSheet(), 0);
    EXPECT_EQ(view.grid().GetCurrentSheet(), 0);

    // After deleting the first of three sheets, renaming and Save All follow the ids.
    ASSERT_TRUE(view.InsertSheet(2, 2, "third"));
    ASSERT_TRUE(view.DeleteSheet(1));
    ASSERT_TRUE(view.RenameSheet(3, "renamed"));
    const auto names = view.saveAllNames("/tmp/run.csv");
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].first, 2);
    EXPECT_EQ(names[0].second, "/tmp/run.renamed.csv");
}

TEST_F(GridViewTest, BorderColoursKeepTheirPens)
{
    ASSERT_TRUE(view.SetCellBorderColor(1, 1, 0x0000FF));
    ASSERT_TRUE(view.SetCellBorderColor(2, 1, 0x00FF00));
    ASSERT_TRUE(view.SetColumnBorderColor(3, 0xFF0000));
    const auto* first = cell(0, 0).GetBorderColor();
    const auto* second = cell(1, 0).GetBorderColor();
    const auto* third = cell(2, 4).GetBorderColor();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(first->colour(), 0x0000FFu);
    EXPECT_EQ(second->colour(), 0x00FF00u);
    EXPECT_EQ(third->colour(), 0xFF0000u);
    EXPECT_EQ(view.borderPen(0x0000FF), first);
}

TEST_F(GridViewTest, LongTextIsCutOnACharacterBoundary)
{
    std::string longText;
    while (longText.size() < 300)
        longText += "\xC3\xA9"; // é, two bytes
    ASSERT_TRUE(view.SetCellText(1, 1, longText));
    char buffer[CHarluneGridView::kTextBufferSize];
    ASSERT_TRUE(view.GetCellText(1, 1, buffer));
    const std::string got(buffer);
    EXPECT_EQ(got.size(), 198u); // 199 would split the 100th character
    EXPECT_EQ(got, longText.substr(0, 198));

    ASSERT_TRUE(view.SetCellText(1, 2, "short"));
    ASSERT_TRUE(view.GetCellText(1, 2, buffer));
    EXPECT_STREQ(buffer, "short");
}

// The Save All files of a folder that does not exist: nothing written, read or added.
TEST_F(GridViewTest, TheAllSheetsFileMembersAnswerFalseWithoutTheirFiles)
{
    const std::string missing = "/nonexistent-harlune-folder/x.csv";
    EXPECT_FALSE(view.SaveAllSheets(missing));
    EXPECT_FALSE(view.OpenSheet(1, missing));
    EXPECT_FALSE(view.OpenAllSheets(missing));
    EXPECT_FALSE(view.OpenAllSheetsIntoNew(missing));
    EXPECT_EQ(view.grid().GetNumberSheets(), 2);
}

TEST(GridListSeparatorTest, DefaultFollowsTheDecimalSeparator)
{
    EXPECT_EQ(gridListSeparatorFrom("", "."), ",");
    EXPECT_EQ(gridListSeparatorFrom("", ","), ";");
    EXPECT_EQ(gridListSeparatorFrom("\t", ","), "\t");
    EXPECT_EQ(gridListSeparatorFrom("abcd", "."), "abc");
}

} // namespace
