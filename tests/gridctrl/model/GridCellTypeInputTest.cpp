#include "gridctrl/model/GridBuiltInCellTypes.h"
#include "gridctrl/model/GridCellTypeGeometry.h"
#include "gridctrl/model/GridControl.h"
#include "tests/gridctrl/model/FakeGridSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gridctrl::model {
namespace {

using test::FakeGridSystem;

class MessageControl : public CGridControl
{
public:
    int OnCellTypeMessage(int type, int col, long row, long message, long param) override
    {
        m_messages.push_back({type, col, row, message, param});
        return m_allow;
    }
    struct Message
    {
        int type;
        int col;
        long row;
        long message;
        long param;
    };
    std::vector<Message> m_messages;
    int m_allow = 1;
};

class FakeList : public GridDropListPart
{
public:
    bool isListOpen() const override { return m_open; }
    void openList(int, int, const GridRect& rect, const std::vector<std::string>& choices,
                  int) override
    {
        m_open = true;
        m_rect = rect;
        m_choices = choices;
    }
    void closeList() override { m_open = false; }

    bool m_open = false;
    GridRect m_rect;
    std::vector<std::string> m_choices;
};

class CellTypeInputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_grid.SetNumberCols(4);
        m_grid.SetNumberRows(4);
        m_grid.QuickSetCellType(1, 1, 2);
        m_grid.QuickSetNumber(1, 1, 1);
    }
    int value()
    {
        return static_cast<int>(
            m_grid.QuickGetText(1, 1).empty() ? -1 : std::stod(m_grid.QuickGetText(1, 1)));
    }

    FakeGridSystem m_system;
    ScopedGridSystem m_scope{m_system};
    MessageControl m_grid;
    const GridRect m_rect{0, 0, 75, 20};
    const GridPoint m_inBox{8, 10};
};

TEST_F(CellTypeInputTest, CheckBoxClicksCycle)
{
    CGridCellType* box = m_grid.GetCellType(2);
    EXPECT_EQ(box->OnLClicked(1, 1, 1, m_rect, m_inBox), 1);
    EXPECT_EQ(value(), 0);
    ASSERT_EQ(m_grid.m_messages.size(), 1u);
    EXPECT_EQ(m_grid.m_messages[0].message, 53);
    EXPECT_EQ(m_grid.m_messages[0].param, 0);
    EXPECT_EQ(m_grid.m_messages[0].type, 2);
    m_grid.QuickSetCellTypeEx(1, 1, kParamCheckThreeState);
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        box->OnLClicked(1, 1, 1, m_rect, m_inBox);
        seen.push_back(value());
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 0, 1}));
    EXPECT_EQ(box->OnLClicked(1, 1, 1, m_rect, GridPoint{60, 10}), 0); // outside the box
    EXPECT_EQ(box->OnLClicked(1, 1, 0, m_rect, m_inBox), 0);           // release
    unsigned space = ' ';
    EXPECT_EQ(box->OnCharDown(1, 1, &space), 1);
    EXPECT_EQ(value(), 2);
}

TEST_F(CellTypeInputTest, ReadOnlyCheckBoxIgnoresClicksAndSpace)
{
    CGridCellInfo cell;
    m_grid.GetCell(1, 1, &cell);
    cell.SetReadOnly(1);
    m_grid.SetCell(1, 1, &cell);
    CGridCellType* box = m_grid.GetCellType(2);
    box->OnLClicked(1, 1, 1, m_rect, m_inBox);
    unsigned space = ' ';
    box->OnCharDown(1, 1, &space);
    EXPECT_EQ(value(), 1);
    EXPECT_TRUE(m_grid.m_messages.empty());
}

TEST_F(CellTypeInputTest, DropListOpensOnEnterCtrlDownAndTheButton)
{
    auto* drop = dynamic_cast<CGridDropListCellType*>(m_grid.GetCellType(1));
    ASSERT_NE(drop, nullptr);
    FakeList list;
    drop->setListPart(&list);
    m_grid.QuickSetCellType(2, 2, 1);
    std::string label;
    for (int i = 0; i < 20; ++i) {
        label += "choice " + std::to_string(i) + "\n";
    }
    m_grid.QuickSetLabel(2, 2, label);
    unsigned enter = 13;
    EXPECT_EQ(drop->OnCharDown(2, 2, &enter), 1);
    EXPECT_EQ(enter, 0u);
    ASSERT_TRUE(list.m_open);
    EXPECT_EQ(list.m_choices.size(), 20u);
    EXPECT_EQ(list.m_rect.bottom - list.m_rect.top, 12 * 15 + 6);
    EXPECT_EQ(m_grid.GetCurrentCol(), 2);
    EXPECT_EQ(m_grid.m_messages.back().message, 100);
    // The button toggles it shut again.
    EXPECT_EQ(drop->OnLClicked(2, 2, 1, m_rect, GridPoint{70, 5}), 1);
    EXPECT_FALSE(list.m_open);
    // Ctrl+Down, and the control's hook refusing message 100.
    m_system.m_keys.insert(kVirtualKeyControl);
    unsigned down = 0x28;
    m_grid.m_allow = 0;
    EXPECT_EQ(drop->OnKeyDown(2, 2, &down), 1);
    EXPECT_FALSE(list.m_open);
    m_grid.m_allow = 1;
    down = 0x28;
    drop->OnKeyDown(2, 2, &down);
    EXPECT_TRUE(list.m_open);
    list.closeList();
    // A read-only drop list stays shut.
    CGridCellInfo cell;
    m_grid.GetCell(2, 2, &cell);
    cell.SetReadOnly(1);
    m_grid.SetCell(2, 2, &cell);
    enter = 13;
    drop->OnCharDown(2, 2, &enter);
    EXPECT_FALSE(list.m_open);
    GridRect edit{0, 0, 75, 20};
    drop->OnEditStartRect(edit);
    EXPECT_EQ(edit.right, 75 - 18);
}

TEST_F(CellTypeInputTest, OverflowAndOptions)
{
    CGridCellType* normal = m_grid.GetCellType(0);
    CGridCellInfo cell;
    EXPECT_EQ(normal->CanOverflow(cell), 1);
    cell.SetAlignment(2);
    EXPECT_EQ(normal->CanOverflow(cell), 0);
    cell.SetAlignment(1);
    cell.SetCellTypeEx(4);
    EXPECT_EQ(normal->CanOverflow(cell), 1);
    CGridCellInfo joined;
    joined.SetJoin(1, 1, 1);
    EXPECT_EQ(normal->CanOverflow(joined), 0);
    EXPECT_EQ(m_grid.SetCellTypeOption(2, 5), 0);
    EXPECT_EQ(m_grid.SetCellTypeOption(12, 5), 1);
    EXPECT_EQ(normal->Notify(0, 0, 7, 8), 1);
}

} // namespace
} // namespace gridctrl::model
