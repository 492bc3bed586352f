#include "gridctrl/model/GridEditMask.h"
#include "gridctrl/model/GridTabGeometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gridctrl::model {
namespace {

TEST(GridEditMask, CharactersAccepted)
{
    struct Case
    {
        char mask;
        char32_t ch;
        bool accepted;
    } cases[] = {
        {'0', '5', true},  {'0', '-', false}, {'0', '+', false}, {'0', ' ', false},
        {'9', ' ', true},  {'9', 'a', false}, {'#', '-', true},  {'#', '+', true},
        {'#', ' ', true},  {'#', 'x', false}, {'L', 'q', true},  {'L', '1', false},
        {'L', U'ü', true}, {'?', ' ', true},  {'A', '7', true},  {'A', ' ', false},
        {'a', ' ', true},  {'&', '%', true},  {'C', '~', true},  {'&', 0x7F, false},
        {'-', 'x', true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.mask) + " " + std::to_string(c.ch));
        EXPECT_EQ(maskAccepts(c.mask, c.ch), c.accepted);
    }
    EXPECT_EQ(maskTemplate("(000) 00-L"), "(___) __-_");
}

TEST(GridEditMask, Typing)
{
    struct Case
    {
        const char* name;
        const char* mask;
        const char* text;
        int caret;
        char32_t ch;
        bool accepted;
        const char* after;
        int caretAfter;
    } cases[] = {
        {"literal typed first", "(000)", "", 0, '4', true, "(4", 2},
        {"digit", "(000)", "(4", 2, '2', true, "(42", 3},
        {"letter refused", "(000)", "(4", 2, 'x', false, "(4", 2},
        {"past the mask", "00", "12", 2, '3', false, "12", 2},
        {"literal at the end", "00-", "12", 2, '3', false, "12-", 3},
        {"literal then a misfit", "(0", "", 0, 'x', false, "(", 1},
        {"no mask", "", "ab", 1, 'x', true, "axb", 2},
        {"not printable", "0", "", 0, '\t', true, "\t", 1},
        {"unknown mask characters are literals", "x0", "", 0, '1', true, "x1", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MaskTypeResult r = typeWithMask(c.mask, c.text, c.caret, c.ch);
        EXPECT_EQ(r.accepted, c.accepted);
        EXPECT_EQ(r.text, c.after);
        EXPECT_EQ(r.caret, c.caretAfter);
    }
}

TEST(GridEditMask, MaskedText)
{
    struct Case
    {
        const char* mask;
        const char* text;
        const char* masked;
    } cases[] = {
        {"", "anything", "anything"},
        {"(000) 000", "(123) 456", "(123) 456"},
        {"(000) 000", "123456", "(123) 456"},
        {"000", "1a2b3c4", "123"},
        {"LL-00", "ab12", "ab-12"},
        {"00", "", ""},
        {"##", "-5", "-5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        EXPECT_EQ(getMaskedText(c.mask, c.text), c.masked);
    }
}

TEST(GridTabGeometry, OffsetsAndScrolling)
{
    const std::vector<int> widths{60, 80, 100, 50};
    struct Case
    {
        int scrollBar;
        int client;
        int largest;
    } cases[] = {{34, 150, 194}, {34, 400, 0}, {34, 324, 0}, {34, 323, 21}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.client);
        EXPECT_EQ(largestTabOffset(c.scrollBar, c.client, widths), c.largest);
    }
    EXPECT_EQ(tabLeft(34, 0, widths, 2), 34 + 140);
    EXPECT_EQ(tabLeft(34, 30, widths, 0), 4);
    // Into view: tab 2 at position 135 in a 150-wide bar.
    EXPECT_EQ(scrollTabIntoView(0, widths, 2, 150, 300), 135 + 210 - 150);
    EXPECT_EQ(scrollTabIntoView(0, widths, 2, 150, 194), 194);
    EXPECT_EQ(scrollTabIntoView(150, widths, 0, 150, 194), 0);
    EXPECT_EQ(scrollTabIntoView(0, widths, 3, 150, 50), 50); // never above the largest
    EXPECT_EQ(scrollTabIntoView(7, widths, 9, 150, 50), 7);
}

TEST(GridTabGeometry, ClicksOnTheSlantedEdges)
{
    const std::vector<int> widths{60, 80};
    // Tab 0 spans 34..96 (with its 2 pixels), tab 1 from 94.
    EXPECT_EQ(tabAt(34, 34, 0, widths, 1), 0);
    EXPECT_EQ(tabAt(95, 34, 0, widths, 0), 0); // overlap: the current tab wins
    EXPECT_EQ(tabAt(95, 34, 0, widths, 1), 1);
    EXPECT_EQ(tabAt(33, 34, 0, widths, 0), -1);
    EXPECT_EQ(tabAt(200, 34, 0, widths, 0), -1);
    const auto shape = tabTrapezoid(34, 60, 18);
    EXPECT_EQ(shape[1].x, 41);
    EXPECT_EQ(shape[2].x, 96);
    EXPECT_EQ(shape[3].x, 103);
}

} // namespace
} // namespace gridctrl::model
