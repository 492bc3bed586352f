#pragma once

#include "gridctrl/model/GridControlParts.h"

#include <string>
#include <string_view>
#include <vector>

namespace gridctrl::model {

// The geometry of the built-in cell types as plain functions, so the drawing code stays thin
// and the shapes can be checked without a display. Rectangles are in the drawing window's
// pixels, right and bottom exclusive.

struct GridLine
{
    int x1 = 0;
    int y1 = 0;
    int x2 = 0; // the end point is left out when drawn
    int y2 = 0;
    friend bool operator==(const GridLine&, const GridLine&) = default;
};

struct GridTriangle
{
    GridPoint a;
    GridPoint b;
    GridPoint c;
};

// Cell type parameter bits.
constexpr int kParamWrap = 0x2;
constexpr int kParamEllipsis = 0x4;
constexpr int kParamShowLabel = 0x8;
constexpr int kParamCheckSunken = 0x100;
constexpr int kParamCheckRaised = 0x200;
constexpr int kParamDropListCurrentOnly = 0x200;
constexpr int kParamCheckRound = 0x400;
constexpr int kParamCheckAligned = 0x800;
constexpr int kParamCheckTick = 0x1000;
constexpr int kParamCheckThreeState = 0x2000;

// Check box: the value clamped to its states (0 and 1, or 0 to 2 with three states).
int checkBoxValue(double number, int param);
// The value after a click or the space key.
int checkBoxNextValue(int value, int param);
// The box inside the cell rectangle (after the border); its side is height - 6, at most 12.
GridRect checkBoxRect(const GridRect& cell, int param, unsigned short alignment);
// The box's inside edges for its frame kind (square, sunken, raised, round).
GridRect checkBoxInside(const GridRect& box, int param);
// The lines of the mark of a box whose inside is `inside` and side `side`: the tick (param
// 0x1000) or the cross. Empty for the disc (param 0x400 without 0x1000).
std::vector<GridLine> checkMarkLines(const GridRect& inside, int side, int param);
// Boxes smaller than this are left out.
constexpr int kMinCheckBoxSide = 6;

// Drop list: the choices of a label, each piece that ends with a line feed.
std::vector<std::string> dropListChoices(std::string_view label);
// The list window under the cell, kept inside the cell area (0, 0, areaWidth, areaHeight).
GridRect dropListRect(const GridRect& cell, int itemHeight, int choices, int areaWidth,
                      int areaHeight);
constexpr int kDropListMaxShown = 15;
// The button at the right end of the cell rectangle (after the border).
GridRect dropButtonRect(const GridRect& inner, int buttonWidth);
// The screen arrow: three lines of 5, 3 and 1 pixels; a read-only arrow adds two white lines
// (returned in `emboss`).
std::vector<GridLine> dropArrowLines(const GridRect& button, std::vector<GridLine>* emboss);
// The printed arrow: a triangle in the button.
GridTriangle printedDropTriangle(const GridRect& button);

// Side arrows: which arrows a parameter shows (0 none, 1 right, 2 left, 3 two right, 4 two
// left); a cell without a parameter counts as 0x10.
int arrowKind(int param, bool hasParam);
// The screen arrows as vertical pixel columns: x, top y and height.
struct GridColumnSpan
{
    int x = 0;
    int top = 0;
    int height = 0;
    friend bool operator==(const GridColumnSpan&, const GridColumnSpan&) = default;
};
std::vector<GridColumnSpan> arrowColumns(const GridRect& rect, int kind);
// The printed arrows at a scale of `scale` printer units per screen pixel.
std::vector<GridTriangle> printedArrows(const GridRect& rect, int kind, double scale);

} // namespace gridctrl::model
