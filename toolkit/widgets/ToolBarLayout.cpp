#include "toolkit/widgets/ToolBarLayout.h"

#include <algorithm>
#include <climits>

namespace toolkit::widgets::barlayout {

namespace {

constexpr int32_t kWidest = 32767;

bool isSeparator(const Button& button)
{
    return (button.style & TBSTYLE_SEP) != 0;
}

bool isHidden(const Button& button)
{
    return (button.state & TBSTATE_HIDDEN) != 0;
}

int32_t clampWidth(int64_t width)
{
    return static_cast<int32_t>(std::clamp<int64_t>(width, 0, INT32_MAX));
}

} // namespace

int32_t buttonWidth(const Button& button, const Metrics& metrics)
{
    if (isHidden(button))
        return 0;
    if (isSeparator(button))
        return std::max(button.image, 0);
    if ((button.style & TBSTYLE_AUTOSIZE) != 0)
        return std::max(button.itemWidth, 0);
    int64_t width = std::max(metrics.buttonWidth, 0);
    // The controls are the new ones for good, so a drop-down adds its arrow whenever the arrows
    // are on.
    if ((button.style & TBSTYLE_DROPDOWN) != 0 && metrics.dropDownArrows)
        width += std::max(metrics.arrowWidth, 0);
    return clampWidth(width);
}

int WrapToolBar(std::vector<Button>& buttons, const Metrics& metrics, int32_t width)
{
    for (Button& button : buttons)
        button.state &= static_cast<uint8_t>(~TBSTATE_WRAP);
    int rows = 1;
    int64_t x = 0;
    const int count = static_cast<int>(buttons.size());
    for (int i = 0; i < count; ++i) {
        if (isHidden(buttons[static_cast<std::size_t>(i)]))
            continue;
        const int64_t dx = buttonWidth(buttons[static_cast<std::size_t>(i)], metrics);
        if (x + dx <= width) {
            x += dx;
            continue;
        }
        // The row passes the width: wrap after the last plain separator of the row, else after
        // the nearest earlier button that may carry a wrap.
        int wrapAt = -1;
        for (int j = i; j >= 0 && (buttons[static_cast<std::size_t>(j)].state & TBSTATE_WRAP) == 0;
             --j) {
            const Button& b = buttons[static_cast<std::size_t>(j)];
            if (isSeparator(b) && b.commandId == 0 && !isHidden(b)) {
                wrapAt = j;
                break;
            }
        }
        if (wrapAt < 0)
            for (int j = i - 1;
                 j >= 0 && (buttons[static_cast<std::size_t>(j)].state & TBSTATE_WRAP) == 0; --j) {
                const Button& b = buttons[static_cast<std::size_t>(j)];
                if (isHidden(b) || (isSeparator(b) && b.commandId == 0))
                    continue;
                wrapAt = j;
                break;
            }
        if (wrapAt < 0) {
            x += dx;
            continue;
        }
        buttons[static_cast<std::size_t>(wrapAt)].state |= TBSTATE_WRAP;
        ++rows;
        x = 0;
        i = wrapAt;
    }
    return rows;
}

Size CalcSize(const std::vector<Button>& buttons, const Metrics& metrics)
{
    int64_t width = 0;
    int64_t height = 0;
    int64_t x = 0;
    int64_t y = 0;
    const int64_t buttonHeight = std::max(metrics.buttonHeight, 0);
    for (const Button& button : buttons) {
        if (isHidden(button))
            continue;
        const int64_t cx = buttonWidth(button, metrics);
        // A separator that ends a row stands for a gap between rows: two thirds of its width on
        // a raised bar, all of it on a flat one.
        const int64_t gap = metrics.flat ? cx : 2 * cx / 3;
        if (isSeparator(button)) {
            if ((button.state & TBSTATE_WRAP) != 0)
                height = std::max(height, y + buttonHeight + gap);
            else
                width = std::max(width, x + cx);
        } else {
            width = std::max(width, x + cx);
            height = std::max(height, y + buttonHeight);
        }
        x += cx;
        if ((button.state & TBSTATE_WRAP) != 0) {
            x = 0;
            y += buttonHeight + (isSeparator(button) ? gap : 0);
        }
    }
    return {clampWidth(width), clampWidth(height)};
}

std::vector<Rect> buttonRects(const std::vector<Button>& buttons, const Metrics& metrics)
{
    const int32_t width = CalcSize(buttons, metrics).cx;
    const int64_t buttonHeight = std::max(metrics.buttonHeight, 0);
    std::vector<Rect> rects;
    rects.reserve(buttons.size());
    int64_t x = 0;
    int64_t y = 0;
    auto rect = [](int64_t left, int64_t top, int64_t right, int64_t bottom) {
        return Rect{clampWidth(left), clampWidth(top), clampWidth(right), clampWidth(bottom)};
    };
    for (const Button& button : buttons) {
        if (isHidden(button)) {
            rects.push_back(rect(x, y, x, y));
            continue;
        }
        const int64_t cx = buttonWidth(button, metrics);
        const bool wraps = (button.state & TBSTATE_WRAP) != 0;
        if (isSeparator(button) && wraps) {
            const int64_t gap = metrics.flat ? cx : 2 * cx / 3;
            rects.push_back(rect(0, y + buttonHeight, width, y + buttonHeight + gap));
            x = 0;
            y += buttonHeight + gap;
            continue;
        }
        rects.push_back(rect(x, y, x + cx, y + buttonHeight));
        x += cx;
        if (wraps) {
            x = 0;
            y += buttonHeight;
        }
    }
    return rects;
}

void SizeToolBar(std::vector<Button>& buttons, const Metrics& metrics, int32_t length,
                 bool heightWise)
{
    if (heightWise) {
        WrapToolBar(buttons, metrics, 0);
        Size low = CalcSize(buttons, metrics);
        WrapToolBar(buttons, metrics, kWidest);
        Size high = CalcSize(buttons, metrics);
        while (low.cx < high.cx) {
            const int32_t middleWidth = low.cx + (high.cx - low.cx) / 2;
            WrapToolBar(buttons, metrics, middleWidth);
            const Size middle = CalcSize(buttons, metrics);
            if (length < middle.cy) {
                if (low == middle) {
                    WrapToolBar(buttons, metrics, high.cx);
                    return;
                }
                low = middle;
            } else if (length > middle.cy) {
                high = middle;
            } else {
                return;
            }
        }
        return;
    }
    const int32_t widest = std::max(length, 0);
    const int target = WrapToolBar(buttons, metrics, widest);
    int32_t low = 0;
    int32_t high = widest;
    if (WrapToolBar(buttons, metrics, low) != target) {
        while (low < high) {
            const int32_t middle = low + (high - low) / 2;
            if (WrapToolBar(buttons, metrics, middle) == target) {
                high = middle;
            } else {
                if (low == middle) {
                    WrapToolBar(buttons, metrics, high);
                    break;
                }
                low = middle;
            }
        }
    }
    WrapToolBar(buttons, metrics, CalcSize(buttons, metrics).cx);
}

bool separatorDrawnAsLine(int32_t width)
{
    return width < 9;
}

Size emptyBarSize(const Metrics& metrics, bool docked, bool horizontal)
{
    Size size{metrics.buttonWidth, metrics.buttonHeight};
    if (docked) {
        if (horizontal)
            size.cx /= 2;
        else
            size.cy /= 2;
    }
    return size;
}

InsideInsets CalcInsideRect(bool horizontal, bool icon, bool flat, bool gripper, bool floating)
{
    int32_t inset = icon ? kSmallIconSize + 2 : 0;
    if (flat && gripper && !floating)
        inset += 7;
    return horizontal ? InsideInsets{inset, 0} : InsideInsets{0, inset};
}

GripperBars gripperBars(Rect rect, bool horizontal, bool dockable)
{
    GripperBars bars;
    if (horizontal) {
        Rect bar{rect.left + 1, rect.top + 2, rect.right - 1, rect.bottom};
        if (dockable) {
            bar.left += 2;
            bar.bottom -= 2;
        }
        bar.right = bar.left + 3;
        bars.first = bar;
        bars.second = {bar.left + 3, bar.top, bar.right + 3, bar.bottom};
        bars.rest = rect;
        bars.rest.left = bars.second.right + 1;
    } else {
        Rect bar{rect.left, rect.top + 2, rect.right - 2, rect.bottom};
        if (dockable)
            bar.left += 2;
        else
            bar.right += 2;
        bar.bottom = bar.top + 3;
        bars.first = bar;
        bars.second = {bar.left, bar.top + 3, bar.right, bar.bottom + 3};
        bars.rest = rect;
        bars.rest.top = bars.second.bottom + 1;
    }
    return bars;
}

IconPlace iconPlace(Rect rect, bool horizontal)
{
    IconPlace place;
    place.rest = rect;
    if (horizontal) {
        const int32_t left = rect.left == 0 ? 5 : rect.left;
        const int32_t top = rect.top + (rect.bottom - rect.top - kSmallIconSize) / 2;
        place.icon = {left, top, left + kSmallIconSize, top + kSmallIconSize};
        place.rest.left = place.icon.right + 1;
    } else {
        const int32_t top = rect.top == 0 ? 5 : rect.top;
        const int32_t left = rect.left + (rect.right - rect.left - kSmallIconSize) / 2;
        place.icon = {left, top, left + kSmallIconSize, top + kSmallIconSize};
        place.rest.top = place.icon.bottom + 1;
    }
    return place;
}

std::optional<Rect> separatorLine(Rect rect, bool horizontal)
{
    if (!separatorDrawnAsLine(horizontal ? rect.right - rect.left : rect.bottom - rect.top))
        return std::nullopt;
    if (horizontal) {
        const int32_t middle = (rect.left + rect.right) / 2;
        return Rect{middle - 1, rect.top, middle + 1, rect.bottom};
    }
    const int32_t middle = (rect.top + rect.bottom) / 2;
    return Rect{rect.left, middle - 1, rect.right, middle + 1};
}

int32_t leadingExtent(bool icon, bool flat, bool gripper, bool floating, int32_t indent)
{
    int64_t extent = icon ? kSmallIconSize + 2 : 0;
    if (flat && gripper && !floating)
        extent += 9;
    extent += std::clamp<int64_t>(indent, 0, kWidest);
    return static_cast<int32_t>(extent);
}

} // namespace toolkit::widgets::barlayout
