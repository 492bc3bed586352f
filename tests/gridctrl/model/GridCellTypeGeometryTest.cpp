#include "gridctrl/model/GridCellTypeGeometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gridctrl::model {
namespace {

TEST(CheckBoxGeometry, ValuesCycle)
{
    struct Case
    {
        int value;
        int param;
        int next;
    } cases[] = {
        {1, 0, 0},
        {0, 0, 1},
        {0, kParamCheckThreeState, 1},
        {1, kParamCheckThreeState, 2},
        {2, kParamCheckThreeState, 0},
        {7, 0, 0},
        {-3, 0, 1},
        {9, kParamCheckThreeState, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(checkBoxNextValue(c.value, c.param), c.next);
    }
    EXPECT_EQ(checkBoxValue(2.0, 0), 1);
    EXPECT_EQ(checkBoxValue(2.7, kParamCheckThreeState), 2);
    EXPECT_EQ(checkBoxValue(-1e300, 0), 0);
    EXPECT_EQ(checkBoxValue(1e300, kParamCheckThreeState), 2);
}

TEST(CheckBoxGeometry, Placement)
{
    const GridRect cell{10, 20, 110, 40}; // 100 x 20
    struct Case
    {
        const char* name;
        int param;
        unsigned short alignment;
        GridRect box;
    } cases[] = {
        {"plain", 0, 0, {13, 24, 25, 36}},
        {"round is one wider", kParamCheckRound, 0, {13, 24, 26, 36}},
        {"aligned centre", kParamCheckAligned, 4, {54, 24, 66, 36}},
        {"aligned right", kParamCheckAligned, 2, {92, 24, 104, 36}},
        {"aligned left top", kParamCheckAligned, 8, {13, 23, 25, 35}},
        {"aligned bottom", kParamCheckAligned, 16, {13, 22, 25, 34}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const GridRect box = checkBoxRect(cell, c.param, c.alignment);
        EXPECT_EQ(box.left, c.box.left);
        EXPECT_EQ(box.top, c.box.top);
        EXPECT_EQ(box.right, c.box.right);
        EXPECT_EQ(box.bottom, c.box.bottom);
    }
    // A low cell gets a small box, under 6 pixels left out by the drawing.
    const GridRect low = checkBoxRect({0, 0, 50, 10}, 0, 0);
    EXPECT_EQ(low.bottom - low.top, 4);
    EXPECT_LT(low.bottom - low.top, kMinCheckBoxSide);
}

TEST(CheckBoxGeometry, MarkLines)
{
    const GridRect inside{11, 21, 22, 32};
    const auto tick = checkMarkLines(inside, 12, kParamCheckTick);
    ASSERT_EQ(tick.size(), 6u);
    EXPECT_EQ(tick[0], (GridLine{13, 28, 15, 30}));
    EXPECT_EQ(tick[1], (GridLine{15, 30, 25, 20}));
    EXPECT_EQ(checkMarkLines(inside, 8, kParamCheckTick).size(), 2u);
    const auto cross = checkMarkLines(inside, 12, 0);
    ASSERT_EQ(cross.size(), 6u);
    EXPECT_EQ(cross[0], (GridLine{12, 22, 21, 31}));
    EXPECT_EQ(cross[1], (GridLine{12, 30, 21, 21}));
    EXPECT_TRUE(checkMarkLines(inside, 12, kParamCheckRound).empty());
}

TEST(DropListGeometry, Choices)
{
    EXPECT_EQ(dropListChoices("a\nb\nc"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(dropListChoices("a\nb\nc\n"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(dropListChoices("").empty());
    std::string many;
    for (int i = 0; i < 100000; ++i) {
        many += "x\n";
    }
    EXPECT_EQ(dropListChoices(many).size(), 100000u);
}

TEST(DropListGeometry, ListRectangle)
{
    const GridRect cell{100, 50, 175, 70};
    const GridRect list = dropListRect(cell, 16, 20, 400, 1000);
    EXPECT_EQ(list.bottom - list.top, 16 * 15 + 6);
    EXPECT_EQ(list.top, 70);
    // Moved up and left to stay inside the area, never above or left of 0.
    const GridRect moved = dropListRect({350, 250, 425, 270}, 16, 3, 400, 300);
    EXPECT_EQ(moved.bottom, 300);
    EXPECT_EQ(moved.right, 400);
    const GridRect clamped = dropListRect({0, 10, 75, 30}, 16, 20, 50, 100);
    EXPECT_EQ(clamped.top, 0);
    EXPECT_EQ(clamped.left, 0);
}

TEST(DropListGeometry, ButtonAndArrows)
{
    const GridRect button = dropButtonRect({0, 0, 100, 20}, 17);
    EXPECT_EQ(button.left, 83);
    std::vector<GridLine> emboss;
    const auto arrow = dropArrowLines(button, &emboss);
    ASSERT_EQ(arrow.size(), 3u);
    EXPECT_EQ(arrow[0], (GridLine{89, 8, 94, 8}));
    EXPECT_EQ(arrow[2], (GridLine{91, 10, 92, 10}));
    EXPECT_EQ(emboss[0], (GridLine{92, 10, 94, 8}));
    // Printed, at a scale above 1: the triangle follows the button.
    const GridTriangle printed = printedDropTriangle({0, 0, 100, 120});
    EXPECT_EQ(printed.a.x, 30);
    EXPECT_EQ(printed.b.x, 70);
    EXPECT_EQ(printed.c.y, 70);
}

TEST(SideArrowGeometry, KindsAndColumns)
{
    struct Case
    {
        int param;
        bool has;
        int kind;
    } kinds[] = {{0, false, 1},   {0, true, 1},    {0x10, true, 1}, {0x20, true, 2},
                 {0x30, true, 1}, {0x40, true, 3}, {0x80, true, 4}, {0x100, true, 0}};
    for (const Case& c : kinds) {
        SCOPED_TRACE(c.param);
        EXPECT_EQ(arrowKind(c.param, c.has), c.kind);
    }
    const GridRect rect{0, 0, 40, 20}; // cx 20, cy 10
    const auto right = arrowColumns(rect, 1);
    ASSERT_EQ(right.size(), 4u);
    EXPECT_EQ(right[0], (GridColumnSpan{19, 7, 7}));
    EXPECT_EQ(right[3], (GridColumnSpan{22, 10, 1}));
    const auto twoLeft = arrowColumns(rect, 4);
    ASSERT_EQ(twoLeft.size(), 8u);
    EXPECT_EQ(twoLeft[0].x, 18);
    EXPECT_EQ(twoLeft[3].x, 15);
    EXPECT_EQ(twoLeft[4].x, 24);
    EXPECT_EQ(twoLeft[7].x, 21);
    EXPECT_TRUE(arrowColumns({0, 0, 3, 20}, 1).empty());
    EXPECT_TRUE(arrowColumns(rect, 0).empty());
}

TEST(SideArrowGeometry, PrintedArrowsScale)
{
    const auto arrows = printedArrows({0, 0, 100, 100}, 3, 2.5);
    ASSERT_EQ(arrows.size(), 2u);
    EXPECT_EQ(arrows[0].a.x, 50 - 12);
    EXPECT_EQ(arrows[1].a.x, 50 + 2);
    EXPECT_EQ(arrows[0].b.y - arrows[0].a.y, 17);
    EXPECT_TRUE(printedArrows({0, 0, 100, 100}, 1, 0.0).empty());
}

} // namespace
} // namespace gridctrl::model
