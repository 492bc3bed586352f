#include "gridctrl/model/GridTabList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gridctrl::model {
namespace {

std::vector<long> ids(const GridTabList& list)
{
    std::vector<long> out;
    for (const auto& tab : list.tabs()) {
        out.push_back(tab.id);
    }
    return out;
}

// Tabs 10, 20, 30, 40 with the tab of id 30 (position 2) current.
GridTabList fourTabs()
{
    GridTabList list;
    for (long id : {10L, 20L, 30L, 40L}) {
        list.AddTab("Sheet " + std::to_string(id), id);
    }
    list.SetCurrentTab(30);
    return list;
}

TEST(GridTabList, SixtyFifthTabRefused)
{
    GridTabList list;
    EXPECT_EQ(list.GetCurrentTab(), -1);
    for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(list.AddTab("t", i), 0);
    }
    EXPECT_EQ(list.AddTab("t", 64), 1);
    EXPECT_EQ(list.InsertTab(0, "t", 64), 1);
    EXPECT_EQ(list.GetTabCount(), 64);
}

TEST(GridTabList, InsertTable)
{
    struct Case
    {
        int position;
        int result;
        std::vector<long> ids;
        long current;
    } cases[] = {
        {0, 0, {99, 10, 20, 30, 40}, 3}, {2, 0, {10, 20, 99, 30, 40}, 3},
        {3, 0, {10, 20, 30, 99, 40}, 2}, {4, 0, {10, 20, 30, 40, 99}, 2},
        {5, 1, {10, 20, 30, 40}, 2},     {-1, 1, {10, 20, 30, 40}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        GridTabList list = fourTabs();
        EXPECT_EQ(list.InsertTab(c.position, "new", 99), c.result);
        EXPECT_EQ(ids(list), c.ids);
        EXPECT_EQ(list.GetCurrentTab(), c.current);
    }
}

TEST(GridTabList, DeleteTable)
{
    struct Case
    {
        const char* name;
        long id;
        int result;
        std::vector<long> ids;
        long current;
    } cases[] = {
        {"the current tab", 30, 0, {10, 20, 40}, 0},
        {"before it", 10, 0, {20, 30, 40}, 1},
        {"after it", 40, 0, {10, 20, 30}, 2},
        {"unknown", 77, 1, {10, 20, 30, 40}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridTabList list = fourTabs();
        EXPECT_EQ(list.DeleteTab(c.id), c.result);
        EXPECT_EQ(ids(list), c.ids);
        EXPECT_EQ(list.GetCurrentTab(), c.current);
    }
    GridTabList list = fourTabs();
    for (long id : {10L, 20L, 30L, 40L}) {
        list.DeleteTab(id);
    }
    EXPECT_EQ(list.GetTabCount(), 0);
    EXPECT_EQ(list.GetCurrentTab(), -1); // no tab left: none is current
    EXPECT_EQ(list.GetTabLabel(0), "");
    EXPECT_EQ(list.SetTabLabel(0, "x"), 1);
}

} // namespace
} // namespace gridctrl::model
