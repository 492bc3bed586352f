#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// The layout rules of a tool bar as pure functions over its button records: button widths,
// wrapping into rows at a width, the size of the wrapped bar, and the search for the wrap that
// fits a length.
namespace toolkit::widgets::barlayout {

constexpr uint8_t TBSTYLE_SEP = 0x01;
constexpr uint8_t TBSTYLE_DROPDOWN = 0x08;
constexpr uint8_t TBSTYLE_AUTOSIZE = 0x10;
constexpr uint8_t TBSTATE_WRAP = 0x20;
constexpr uint8_t TBSTATE_HIDDEN = 0x08;

struct Button
{
    uint32_t commandId = 0; // 0 for a plain separator; a separator with an id holds a control
    int32_t image = 0;      // the width for separators
    uint8_t style = 0;
    uint8_t state = 0;
    int32_t itemWidth = 0; // the width of an auto-sized button's item rectangle
};

struct Metrics
{
    int32_t buttonWidth = 23;
    int32_t buttonHeight = 22;
    int32_t arrowWidth = 0;
    bool dropDownArrows = true;
    bool flat = true;
};

struct Size
{
    int32_t cx = 0;
    int32_t cy = 0;
    bool operator==(const Size&) const = default;
};

// Rectangles with right and bottom exclusive.
struct Rect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const Rect&) const = default;
};

// The width a button takes in a row (0 for a hidden one).
int32_t buttonWidth(const Button& button, const Metrics& metrics);
// Clears every wrap and sets wraps so that no row passes width; the number of rows.
int WrapToolBar(std::vector<Button>& buttons, const Metrics& metrics, int32_t width);
// The size of the bar as wrapped.
Size CalcSize(const std::vector<Button>& buttons, const Metrics& metrics);
// Where each button sits in the wrapped bar, as CalcSize measures it: rows from the top left,
// a row ending at a wrap, the next row below it (and below the gap of a separator that ends
// it). A separator that ends a row is drawn in its gap: its rectangle is the gap, as wide as
// the bar. A hidden button gets an empty rectangle where it would be.
std::vector<Rect> buttonRects(const std::vector<Button>& buttons, const Metrics& metrics);
// Wraps the bar for a length: with heightWise the narrowest wrap whose height is the length (or
// the nearest taller), else the narrowest width with the row count of a wrap at the length.
void SizeToolBar(std::vector<Button>& buttons, const Metrics& metrics, int32_t length,
                 bool heightWise);

// Whether a separator of this width is drawn as a line: wider ones (9 pixels and more) hold
// controls and are left alone.
bool separatorDrawnAsLine(int32_t width);
// The size of a bar without buttons: one button, and, when docked, half a button along the bar.
Size emptyBarSize(const Metrics& metrics, bool docked, bool horizontal);

// What the bar keeps off its inside rectangle before the buttons: the small icon (its size plus
// 2) and, on a flat bar with a gripper that is not floating, 7 pixels for the gripper; off the
// left of a horizontal bar, off the top of a vertical one.
struct InsideInsets
{
    int32_t left = 0;
    int32_t top = 0;
    bool operator==(const InsideInsets&) const = default;
};
constexpr int32_t kSmallIconSize = 16;
InsideInsets CalcInsideRect(bool horizontal, bool icon, bool flat, bool gripper, bool floating);

// The gripper's two raised bars, 3 pixels thick and 3 apart, in the area before the buttons;
// rest is what is left after them. dockable: the bar has a dock context (2 more pixels off the
// left, and for a horizontal bar 2 off the bottom).
struct GripperBars
{
    Rect first;
    Rect second;
    Rect rest;
    bool operator==(const GripperBars&) const = default;
};
GripperBars gripperBars(Rect rect, bool horizontal, bool dockable);
// The small icon's rectangle at the start of rect (5 pixels in when rect starts at 0), centred
// across the bar; rest starts 1 pixel after it.
struct IconPlace
{
    Rect icon;
    Rect rest;
    bool operator==(const IconPlace&) const = default;
};
IconPlace iconPlace(Rect rect, bool horizontal);
// The 2-pixel etched line of a separator: down the middle of a horizontal bar's separator,
// across the middle of a vertical bar's; nothing for separators 9 pixels and wider.
std::optional<Rect> separatorLine(Rect rect, bool horizontal);
// The room a bar keeps before its first button: the icon (its size plus 2), the gripper (9 with
// its border) on a flat bar that is not floating, and the indent.
int32_t leadingExtent(bool icon, bool flat, bool gripper, bool floating, int32_t indent);

} // namespace toolkit::widgets::barlayout
