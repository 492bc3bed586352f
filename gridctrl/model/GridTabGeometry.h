#pragma once

#include "gridctrl/model/GridControlParts.h"

#include <vector>

namespace gridctrl::model {

// The sheet tab bar's layout as plain functions: tab widths, their trapezoids, the scroll
// offsets and hit tests. x values are in the bar's client pixels.

// A tab is as wide as its label plus 10 pixels.
constexpr int tabWidthFor(int labelWidth)
{
    return labelWidth + 10;
}

// The largest scroll offset: scroll-bar width - client width + all tab widths, 0 when that is
// below 1, else that plus 20.
int largestTabOffset(int scrollBarWidth, int clientWidth, const std::vector<int>& widths);

// The left x of tab `index`: tabs start at the scroll bar's right edge less the offset.
int tabLeft(int scrollBarWidth, int offset, const std::vector<int>& widths, int index);

// The four corners of a tab's trapezoid: left x at the top, 7 in at the bottom, right + 2 at
// the bottom, right + 9 at the top.
std::vector<GridPoint> tabTrapezoid(int left, int width, int height);

// The offset that brings tab `index` into view for a bar `barWidth` wide, never above
// `largest`.
int scrollTabIntoView(int offset, const std::vector<int>& widths, int index, int barWidth,
                      int largest);

// The tab under x (its x range plus 2 pixels; the current tab wins where tabs overlap), -1
// for none.
int tabAt(int x, int scrollBarWidth, int offset, const std::vector<int>& widths, int current);

} // namespace gridctrl::model
