#include "toolkit/widgets/ToolBarLayout.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using namespace toolkit::widgets::barlayout;
using BarSize = toolkit::widgets::barlayout::Size;

// "B" a 23-pixel button, "S" a plain 8-pixel separator, "C" a separator holding a control (100
// pixels), "H" a hidden button, "D" a drop-down button.
std::vector<Button> bar(const std::string& layout)
{
    std::vector<Button> buttons;
    uint32_t id = 100;
    for (char c : layout) {
        Button b;
        switch (c) {
        case 'S':
            b.style = TBSTYLE_SEP;
            b.image = 8;
            break;
        case 'C':
            b.style = TBSTYLE_SEP;
            b.image = 100;
            b.commandId = 900;
            break;
        case 'H':
            b.commandId = id++;
            b.state = TBSTATE_HIDDEN;
            break;
        case 'D':
            b.commandId = id++;
            b.style = TBSTYLE_DROPDOWN;
            break;
        default:
            b.commandId = id++;
            break;
        }
        buttons.push_back(b);
    }
    return buttons;
}

std::string wraps(const std::vector<Button>& buttons)
{
    std::string marks;
    for (const Button& b : buttons)
        marks += (b.state & TBSTATE_WRAP) != 0 ? 'w' : '.';
    return marks;
}

TEST(ToolBarLayoutTest, WrapsAtTheLastPlainSeparatorOrFallsBack)
{
    const Metrics metrics;
    struct Case
    {
        const char* name;
        const char* layout;
        int32_t width;
        int rows;
        const char* marks;
    } cases[] = {
        {"fits", "BBSBB", 1000, 1, "....."},
        {"last plain separator", "BBSBBSBB", 110, 2, ".....w.."},
        {"narrower", "BBSBBSBB", 60, 3, "..w..w.."},
        {"no separator: the button before", "BBBB", 50, 2, ".w.."},
        {"hidden skipped", "BHBBB", 50, 2, "..w.."},
        {"control separator not a wrap place", "BCB", 130, 2, ".w."},
        {"width 0: every button its row", "BBB", 0, 3, "ww."},
        {"empty", "", 10, 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Button> buttons = bar(c.layout);
        EXPECT_EQ(WrapToolBar(buttons, metrics, c.width), c.rows);
        EXPECT_EQ(wraps(buttons), c.marks);
    }
}

TEST(ToolBarLayoutTest, ButtonWidths)
{
    Metrics metrics;
    metrics.arrowWidth = 11;
    std::vector<Button> buttons = bar("BDSHC");
    EXPECT_EQ(buttonWidth(buttons[0], metrics), 23);
    EXPECT_EQ(buttonWidth(buttons[1], metrics), 34);
    EXPECT_EQ(buttonWidth(buttons[2], metrics), 8);
    EXPECT_EQ(buttonWidth(buttons[3], metrics), 0);
    EXPECT_EQ(buttonWidth(buttons[4], metrics), 100);
    metrics.dropDownArrows = false;
    EXPECT_EQ(buttonWidth(buttons[1], metrics), 23);
    Button autosized;
    autosized.style = TBSTYLE_AUTOSIZE;
    autosized.itemWidth = 57;
    EXPECT_EQ(buttonWidth(autosized, metrics), 57);
}

TEST(ToolBarLayoutTest, WrappingSeparatorsAddTheirWidthBetweenRows)
{
    std::vector<Button> buttons = bar("BBSBB");
    Metrics metrics;
    EXPECT_EQ(CalcSize(buttons, metrics), (BarSize{23 * 4 + 8, 22}));
    buttons[2].state |= TBSTATE_WRAP;
    buttons[2].image = 9;
    EXPECT_EQ(CalcSize(buttons, metrics), (BarSize{46, 22 + 9 + 22}));
    metrics.flat = false;
    EXPECT_EQ(CalcSize(buttons, metrics), (BarSize{46, 22 + 6 + 22}));
    EXPECT_EQ(CalcSize(bar(""), metrics), (BarSize{0, 0}));
}

TEST(ToolBarLayoutTest, SizeToolBarBothWays)
{
    const Metrics metrics;
    // Height-wise: the narrowest wrap that is 2 rows high (22 + 8 + 22 = 52).
    std::vector<Button> buttons = bar("BBSBBSBB");
    SizeToolBar(buttons, metrics, 52, true);
    EXPECT_EQ(CalcSize(buttons, metrics).cy, 52);
    // Row-wise: a wrap at 60 gives 3 rows; the bar ends wrapped in 3 rows at its own width.
    buttons = bar("BBSBBSBB");
    SizeToolBar(buttons, metrics, 60, false);
    EXPECT_EQ(wraps(buttons), "..w..w..");
    EXPECT_EQ(CalcSize(buttons, metrics).cx, 46);
    // Any 32-bit lengths and widths: no hang, no overflow.
    for (int32_t length : {INT_MIN, -1, 0, INT_MAX}) {
        for (bool heightWise : {true, false}) {
            buttons = bar("BBSBBSBBC");
            buttons[0].image = INT_MAX;
            buttons[8].image = INT_MAX;
            SizeToolBar(buttons, metrics, length, heightWise);
            const BarSize size = CalcSize(buttons, metrics);
            EXPECT_GE(size.cx, 0);
            EXPECT_GE(size.cy, 0);
        }
    }
}

TEST(ToolBarLayoutTest, ButtonRectsFollowTheRows)
{
    // Two rows, wrapped at the separator, whose gap runs across the bar; a hidden button takes
    // no room.
    Metrics metrics;
    std::vector<Button> buttons = bar("BSBHB");
    ASSERT_EQ(WrapToolBar(buttons, metrics, 60), 2);
    EXPECT_EQ(wraps(buttons), ".w...");
    EXPECT_EQ(CalcSize(buttons, metrics), (BarSize{46, 52}));
    EXPECT_EQ(
        buttonRects(buttons, metrics),
        (std::vector<Rect>{
            {0, 0, 23, 22}, {0, 22, 46, 30}, {0, 30, 23, 52}, {23, 30, 23, 30}, {23, 30, 46, 52}}));
    // A raised bar keeps two thirds of the separator between the rows.
    metrics.flat = false;
    EXPECT_EQ(buttonRects(buttons, metrics)[1], (Rect{0, 22, 46, 27}));
    EXPECT_EQ(buttonRects(buttons, metrics)[2], (Rect{0, 27, 23, 49}));
    // One row: each button after the one before.
    metrics.flat = true;
    WrapToolBar(buttons, metrics, 32767);
    EXPECT_EQ(buttonRects(buttons, metrics)[4], (Rect{54, 0, 77, 22}));
    EXPECT_TRUE(buttonRects({}, metrics).empty());
}

TEST(ToolBarLayoutTest, SeparatorLinesEmptyBarAndInsideInsets)
{
    const std::pair<int32_t, bool> separators[] = {{0, true},    {8, true},  {9, false},
                                                   {100, false}, {-1, true}, {INT32_MAX, false}};
    for (const auto& [width, line] : separators)
        EXPECT_EQ(separatorDrawnAsLine(width), line) << width;

    const Metrics metrics; // 23 x 22
    EXPECT_EQ(emptyBarSize(metrics, true, true), (BarSize{11, 22}));
    EXPECT_EQ(emptyBarSize(metrics, true, false), (BarSize{23, 11}));
    EXPECT_EQ(emptyBarSize(metrics, false, true), (BarSize{23, 22}));

    struct Case
    {
        bool horizontal, icon, flat, gripper, floating;
        InsideInsets insets;
    };
    const Case cases[] = {
        {true, false, true, true, false, {7, 0}},  {false, false, true, true, false, {0, 7}},
        {true, true, true, true, false, {25, 0}},  {true, true, true, true, true, {18, 0}},
        {true, false, false, true, false, {0, 0}}, {false, true, true, false, false, {0, 18}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CalcInsideRect(c.horizontal, c.icon, c.flat, c.gripper, c.floating), c.insets);
}

TEST(ToolBarLayoutTest, GripperIconAndSeparatorGeometry)
{
    // A horizontal bar's leading area of 20 x 26: bars 3 wide, 3 apart, 1 in and 2 down; a dock
    // context takes 2 more off the left and the bottom.
    EXPECT_EQ(gripperBars({0, 0, 20, 26}, true, true),
              (GripperBars{{3, 2, 6, 24}, {6, 2, 9, 24}, {10, 0, 20, 26}}));
    EXPECT_EQ(gripperBars({0, 0, 20, 26}, true, false),
              (GripperBars{{1, 2, 4, 26}, {4, 2, 7, 26}, {8, 0, 20, 26}}));
    // Vertical: across the bar, 3 high.
    EXPECT_EQ(gripperBars({0, 0, 26, 20}, false, true),
              (GripperBars{{2, 2, 24, 5}, {2, 5, 24, 8}, {0, 9, 26, 20}}));
    EXPECT_EQ(gripperBars({0, 0, 26, 20}, false, false),
              (GripperBars{{0, 2, 26, 5}, {0, 5, 26, 8}, {0, 9, 26, 20}}));

    // The icon: 5 in when the area starts at 0, centred across.
    EXPECT_EQ(iconPlace({0, 0, 40, 26}, true), (IconPlace{{5, 5, 21, 21}, {22, 0, 40, 26}}));
    EXPECT_EQ(iconPlace({3, 0, 40, 26}, true), (IconPlace{{3, 5, 19, 21}, {20, 0, 40, 26}}));
    EXPECT_EQ(iconPlace({0, 0, 26, 40}, false), (IconPlace{{5, 5, 21, 21}, {0, 22, 26, 40}}));

    // Separators: a 2-pixel line in the middle; none 9 pixels and wider.
    EXPECT_EQ(separatorLine({10, 0, 18, 22}, true), (Rect{13, 0, 15, 22}));
    EXPECT_EQ(separatorLine({0, 10, 30, 18}, false), (Rect{0, 13, 30, 15}));
    EXPECT_EQ(separatorLine({10, 0, 19, 22}, true), std::nullopt);
    EXPECT_EQ(separatorLine({0, 0, 30, 100}, false), std::nullopt);

    struct Case
    {
        bool icon, flat, gripper, floating;
        int32_t indent, extent;
    };
    const Case cases[] = {{false, true, true, false, 0, 9},
                          {true, true, true, false, 0, 27},
                          {true, true, true, true, 0, 18},
                          {false, false, true, false, 0, 0},
                          {false, true, false, false, 5, 5},
                          {false, true, true, false, -4, 9},
                          {false, true, true, false, INT32_MAX, 9 + 32767}};
    for (const Case& c : cases)
        EXPECT_EQ(leadingExtent(c.icon, c.flat, c.gripper, c.floating, c.indent), c.extent);
}

} // namespace
