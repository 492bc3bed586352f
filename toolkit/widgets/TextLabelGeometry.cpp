#include "toolkit/widgets/TextLabelGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace toolkit::widgets::textlabel {

namespace {

constexpr double kRadiansPerDegree = 0.017453292519444445;
constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kLongestPeriodMs = 999;

ScrollStep fallback(int32_t speed)
{
    return {speed, 1000};
}

int32_t clampedMinPeriod(int32_t minPeriodMs)
{
    return std::clamp(minPeriodMs, 1, 500);
}

} // namespace

ScrollStep chooseScrollStepBySearch(int32_t speed, int32_t minPeriodMs)
{
    if (speed <= 1)
        return fallback(speed);
    const int32_t first = clampedMinPeriod(minPeriodMs);
    int64_t best = -1;
    ScrollStep chosen;
    for (int64_t s = 1; s < speed; ++s)
        for (int64_t p = first; p <= kLongestPeriodMs; ++p) {
            const int64_t reached = 1000 * s / p;
            if (reached > speed)
                continue;
            const int64_t shortfall = speed - reached;
            if (best < 0 || shortfall < best) {
                best = shortfall;
                chosen = {static_cast<int32_t>(s), static_cast<int32_t>(p)};
            }
        }
    if (best < 0 || best > speed / 6)
        return fallback(speed);
    return chosen;
}

ScrollStep chooseScrollStep(int32_t speed, int32_t minPeriodMs)
{
    if (speed <= 1)
        return fallback(speed);
    const int32_t first = clampedMinPeriod(minPeriodMs);
    int64_t best = -1;
    ScrollStep chosen;
    for (int64_t p = first; p <= kLongestPeriodMs; ++p) {
        // Periods stay below 1000 ms, so 1000·s / p grows strictly with s: at each period the
        // smallest shortfall belongs to the largest step whose speed is not above the wanted
        // one, the s with 1000·s < (speed + 1)·p.
        const int64_t s = std::min<int64_t>(((static_cast<int64_t>(speed) + 1) * p - 1) / 1000,
                                            static_cast<int64_t>(speed) - 1);
        if (s < 1)
            continue;
        const int64_t shortfall = speed - 1000 * s / p;
        // A search with the step outside and the period inside keeps the first pair of the
        // smallest shortfall: the smaller step, then the shorter period.
        if (best < 0 || shortfall < best ||
            (shortfall == best && (s < chosen.step || (s == chosen.step && p < chosen.periodMs)))) {
            best = shortfall;
            chosen = {static_cast<int32_t>(s), static_cast<int32_t>(p)};
        }
    }
    if (best < 0 || best > speed / 6)
        return fallback(speed);
    return chosen;
}

PointF wrapOffset(int32_t directionDegrees, double width, double height)
{
    const int32_t degrees = ((directionDegrees % 360) + 360) % 360;
    const double a = degrees * kRadiansPerDegree;
    const double d = width > 0 ? std::atan(height / width) * 180.0 / kPi : 90.0;
    const double w = width;
    const double h = height;
    const double deg = degrees;
    if (deg <= d)
        return {-w, w * std::tan(a)};
    if (deg <= 90)
        return {-h / std::tan(a), h};
    if (deg <= 180 - d)
        return {h / std::tan(kPi - a), h};
    if (deg <= 180)
        return {w, w * std::tan(kPi - a)};
    if (deg <= 180 + d)
        return {w, -w * std::tan(a)};
    if (deg <= 270)
        return {h / std::tan(a), -h};
    if (deg <= 360 - d)
        return {-h / std::tan(kPi - a), -h};
    return {-w, -w * std::tan(kPi - a)};
}

PointF stepOffset(int32_t directionDegrees, int32_t step)
{
    const double a = directionDegrees * kRadiansPerDegree;
    return {std::cos(a) * step, -std::sin(a) * step};
}

PointF textCentre(int32_t horzAlignment, int32_t vertAlignment, int32_t clientLeft,
                  int32_t clientTop, int32_t clientRight, int32_t clientBottom, int32_t bitmapWidth,
                  int32_t bitmapHeight)
{
    PointF centre;
    const double clientWidth = clientRight - clientLeft;
    const double clientHeight = clientBottom - clientTop;
    switch (horzAlignment) {
    case 0:
        centre.x = bitmapWidth / 2;
        break;
    case 2:
        centre.x = static_cast<double>(clientRight) - bitmapWidth / 2 - clientLeft - 1;
        break;
    default:
        centre.x = static_cast<int32_t>(clientWidth) / 2;
        break;
    }
    switch (vertAlignment) {
    case 3:
        centre.y = bitmapHeight / 2;
        break;
    case 5:
        centre.y = static_cast<double>(clientBottom) - bitmapHeight / 2 - clientTop - 1;
        break;
    default:
        centre.y = static_cast<int32_t>(clientHeight) / 2;
        break;
    }
    return centre;
}

Size measureRotated(int32_t cx, int32_t cy, int32_t angleTenths, int32_t marginLeft,
                    int32_t marginTop, int32_t marginRight, int32_t marginBottom)
{
    const double a = (angleTenths / 10) * 0.017453292222222222;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double width = (std::fabs(cx * c) + 0.5) + (std::fabs(cy * s) + 0.5) + 0.5;
    const double height = (std::fabs(cy * c) + 0.5) + (std::fabs(cx * s) + 0.5) + 0.5;
    const auto whole = [](double v) { return static_cast<int32_t>(std::min(v, 1.0e9)); };
    return {whole(width) + marginLeft + marginRight, whole(height) + marginTop + marginBottom};
}

int32_t fitRoom(int32_t clientWidth, int32_t escapementTenths)
{
    const double a = (escapementTenths / 10) * kRadiansPerDegree;
    return clientWidth - static_cast<int32_t>(std::sin(a) * (clientWidth / 4));
}

std::u32string ellipsisText(const std::u32string& text, std::size_t keep, int32_t mode)
{
    keep = std::min(keep, text.size());
    const std::u32string dots = U"...";
    switch (mode) {
    case 4:
        return dots + text.substr(text.size() - keep);
    case 5: {
        const std::size_t left = keep / 2;
        const std::size_t right = keep - left;
        return text.substr(0, left) + dots + text.substr(text.size() - right);
    }
    case 6:
        return text.substr(0, keep) + dots;
    default:
        return text;
    }
}

std::u32string fitText(const std::u32string& text, int32_t room, int32_t mode,
                       const std::function<int32_t(const std::u32string&)>& width)
{
    if (mode < 4 || mode > 6 || text.empty() || width(text) < room)
        return text;
    // The widths of the shortened texts grow with the number of characters kept: find the
    // largest number whose text fits, as dropping one character at a time would.
    std::size_t low = 0;                // fits, or nothing does
    std::size_t high = text.size() - 1; // candidates up to here
    if (width(ellipsisText(text, 0, mode)) >= room)
        return ellipsisText(text, 0, mode);
    while (low < high) {
        const std::size_t middle = low + (high - low + 1) / 2;
        if (width(ellipsisText(text, middle, mode)) < room)
            low = middle;
        else
            high = middle - 1;
    }
    return ellipsisText(text, low, mode);
}

} // namespace toolkit::widgets::textlabel
