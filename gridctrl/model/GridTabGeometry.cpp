#include "gridctrl/model/GridTabGeometry.h"

#include <algorithm>

namespace gridctrl::model {

namespace {

long long sumBefore(const std::vector<int>& widths, int index)
{
    long long sum = 0;
    for (int i = 0; i < index && i < static_cast<int>(widths.size()); ++i) {
        sum += widths[static_cast<std::size_t>(i)];
    }
    return sum;
}

int clampInt(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, -(1LL << 30), 1LL << 30));
}

} // namespace

int largestTabOffset(int scrollBarWidth, int clientWidth, const std::vector<int>& widths)
{
    const long long value = static_cast<long long>(scrollBarWidth) - clientWidth +
                            sumBefore(widths, static_cast<int>(widths.size()));
    return value < 1 ? 0 : clampInt(value + 20);
}

int tabLeft(int scrollBarWidth, int offset, const std::vector<int>& widths, int index)
{
    return clampInt(static_cast<long long>(scrollBarWidth) - offset + sumBefore(widths, index));
}

std::vector<GridPoint> tabTrapezoid(int left, int width, int height)
{
    const int right = left + width;
    return {{left, 0}, {left + 7, height}, {right + 2, height}, {right + 9, 0}};
}

int scrollTabIntoView(int offset, const std::vector<int>& widths, int index, int barWidth,
                      int largest)
{
    if (index < 0 || index >= static_cast<int>(widths.size())) {
        return offset;
    }
    const int width = widths[static_cast<std::size_t>(index)];
    const long long position = std::max(0LL, sumBefore(widths, index) - 5);
    long long result = offset;
    if (position < offset) {
        result = position;
    } else if (position > offset + barWidth - (2LL * width + 10)) {
        result = position + 2LL * width + 10 - barWidth;
    }
    return clampInt(std::clamp<long long>(result, 0, std::max(0, largest)));
}

int tabAt(int x, int scrollBarWidth, int offset, const std::vector<int>& widths, int current)
{
    int found = -1;
    for (int i = 0; i < static_cast<int>(widths.size()); ++i) {
        const int left = tabLeft(scrollBarWidth, offset, widths, i);
        const int right = left + widths[static_cast<std::size_t>(i)] + 2;
        if (x >= left && x < right) {
            if (i == current) {
                return i;
            }
            if (found < 0) {
                found = i;
            }
        }
    }
    return found;
}

} // namespace gridctrl::model
