#include "gridctrl/model/GridCellTypeGeometry.h"

#include <algorithm>
#include <cmath>

namespace gridctrl::model {

namespace {

int stateCount(int param)
{
    return (param & kParamCheckThreeState) ? 3 : 2;
}

} // namespace

int checkBoxValue(double number, int param)
{
    if (!std::isfinite(number) || number < 0) {
        return 0;
    }
    const int last = stateCount(param) - 1;
    return number >= last ? last : static_cast<int>(number);
}

int checkBoxNextValue(int value, int param)
{
    const int states = stateCount(param);
    value = std::clamp(value, 0, states - 1);
    return (value + 1) % states;
}

GridRect checkBoxRect(const GridRect& cell, int param, unsigned short alignment)
{
    const int height = cell.bottom - cell.top;
    const int side = std::min(height - 6, 12);
    int width = side;
    int left = cell.left + 3;
    int top = cell.top + (height - side) / 2;
    if (param & kParamCheckAligned) {
        if (alignment & 4) {
            left = cell.left + (cell.right - cell.left - side) / 2;
        } else if (alignment & 2) {
            left = cell.right - 6 - side;
        }
        if (alignment & 8) {
            top = cell.top + 3;
        } else if (alignment & 16) {
            top = cell.bottom - 6 - side;
        }
    } else if (param & kParamCheckRound) {
        ++width;
    }
    return {left, top, left + width, top + side};
}

GridRect checkBoxInside(const GridRect& box, int param)
{
    GridRect inside = box;
    if (param & (kParamCheckSunken | kParamCheckRaised)) {
        inside.left += 2;
        inside.top += 2;
        inside.right -= 1;
        inside.bottom -= 1;
    } else if (!(param & kParamCheckRound)) {
        inside.left += 1;
        inside.top += 1;
    }
    return inside;
}

std::vector<GridLine> checkMarkLines(const GridRect& inside, int side, int param)
{
    int l = inside.left;
    int t = inside.top;
    int r = inside.right;
    int b = inside.bottom;
    std::vector<GridLine> lines;
    if (param & kParamCheckTick) {
        lines.push_back({l + 2, b - 4, l + 4, b - 2});
        lines.push_back({l + 4, b - 2, r + 3, t - 1});
        if (side > 9) {
            lines.push_back({l + 2, b - 5, l + 4, b - 3});
            lines.push_back({l + 4, b - 3, r + 3, t - 2});
            lines.push_back({l + 5, b - 2, r + 4, t - 1});
            lines.push_back({l + 2, b - 6, l + 5, b - 3});
        }
        return lines;
    }
    if (param & kParamCheckRound) {
        return lines; // a disc, drawn as an ellipse
    }
    l += 1;
    t += 1;
    r -= 2;
    b -= 2;
    lines.push_back({l, t, r + 1, b + 1});
    lines.push_back({l, b, r + 1, t - 1});
    if (side > 9) {
        lines.push_back({l + 1, t, r + 1, b});
        lines.push_back({l, b - 1, r, t - 1});
        lines.push_back({l, t + 1, r, b + 1});
        lines.push_back({l + 1, b, r + 1, t});
    }
    return lines;
}

std::vector<std::string> dropListChoices(std::string_view label)
{
    std::vector<std::string> choices;
    std::size_t start = 0;
    for (std::size_t at = label.find('\n'); at != std::string_view::npos;
         at = label.find('\n', start)) {
        choices.emplace_back(label.substr(start, at - start));
        start = at + 1;
    }
    return choices;
}

GridRect dropListRect(const GridRect& cell, int itemHeight, int choices, int areaWidth,
                      int areaHeight)
{
    const int shown = std::clamp(choices, 0, kDropListMaxShown);
    const int height = std::max(0, itemHeight) * shown + 6;
    const int width = cell.right - cell.left;
    GridRect list{cell.left, cell.bottom, cell.right, cell.bottom + height};
    if (list.bottom > areaHeight) {
        const int shift = list.bottom - areaHeight;
        list.top -= shift;
        list.bottom -= shift;
    }
    if (list.right > areaWidth) {
        const int shift = list.right - areaWidth;
        list.left -= shift;
        list.right -= shift;
    }
    if (list.top < 0) {
        list.bottom -= list.top;
        list.top = 0;
    }
    if (list.left < 0) {
        list.left = 0;
        list.right = width;
    }
    return list;
}

GridRect dropButtonRect(const GridRect& inner, int buttonWidth)
{
    const int left = std::max(inner.left, inner.right - std::max(0, buttonWidth));
    return {left, inner.top, inner.right, inner.bottom};
}

std::vector<GridLine> dropArrowLines(const GridRect& button, std::vector<GridLine>* emboss)
{
    const int x = button.left + (button.right - button.left - 5) / 2;
    const int y = button.top + (button.bottom - button.top - 3) / 2;
    if (emboss) {
        *emboss = {{x + 3, y + 2, x + 5, y}, {x + 3, y + 3, x + 6, y}};
    }
    return {{x, y, x + 5, y}, {x + 1, y + 1, x + 4, y + 1}, {x + 2, y + 2, x + 3, y + 2}};
}

GridTriangle printedDropTriangle(const GridRect& button)
{
    const int w = button.right - button.left;
    const int h = button.bottom - button.top;
    return {{button.left + 3 * w / 10, button.top + 5 * h / 12},
            {button.left + 7 * w / 10, button.top + 5 * h / 12},
            {button.left + w / 2, button.top + 7 * h / 12}};
}

int arrowKind(int param, bool hasParam)
{
    if (!hasParam || param == 0 || (param & 0x10)) {
        return 1;
    }
    if (param & 0x20) {
        return 2;
    }
    if (param & 0x40) {
        return 3;
    }
    if (param & 0x80) {
        return 4;
    }
    return 0;
}

std::vector<GridColumnSpan> arrowColumns(const GridRect& rect, int kind)
{
    std::vector<GridColumnSpan> columns;
    if (rect.right - rect.left < 4 || rect.bottom <= rect.top) {
        return columns;
    }
    const int cx = rect.left + (rect.right - rect.left) / 2;
    const int cy = rect.top + (rect.bottom - rect.top) / 2;
    // One arrow from its 7-pixel column towards its tip (step +1 right, -1 left).
    auto arrow = [&](int base, int step) {
        for (int i = 0; i < 4; ++i) {
            const int height = 7 - 2 * i;
            columns.push_back({base + step * i, cy - height / 2, height});
        }
    };
    switch (kind) {
    case 1:
        arrow(cx - 1, 1);
        break;
    case 2:
        arrow(cx + 1, -1);
        break;
    case 3:
        arrow(cx - 4, 1);
        arrow(cx + 2, 1);
        break;
    case 4:
        arrow(cx - 2, -1);
        arrow(cx + 4, -1);
        break;
    default:
        break;
    }
    return columns;
}

std::vector<GridTriangle> printedArrows(const GridRect& rect, int kind, double scale)
{
    std::vector<GridTriangle> out;
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    if (w < 4 || h <= 0 || !(scale > 0) || !std::isfinite(scale)) {
        return out;
    }
    const int s4 = static_cast<int>(4 * scale);
    const int s7 = static_cast<int>(7 * scale);
    const int s1 = static_cast<int>(scale);
    const int s5 = static_cast<int>(5 * scale);
    const int top = rect.top + (h - s7) / 2;
    const int midY = rect.top + h / 2;
    const int cx = rect.left + w / 2;
    auto right = [&](int base) {
        out.push_back({{base, top}, {base, top + s7}, {base + s4, midY}});
    };
    auto left = [&](int tip) {
        out.push_back({{tip, midY}, {tip + s4, top}, {tip + s4, top + s7}});
    };
    switch (kind) {
    case 1:
        right(rect.left + (w - s4) / 2);
        break;
    case 2:
        left(rect.left + (w - s4) / 2);
        break;
    case 3:
        right(cx - s5);
        right(cx + s1);
        break;
    case 4:
        left(cx - s5);
        left(cx + s1);
        break;
    default:
        break;
    }
    return out;
}

} // namespace gridctrl::model
