#include "app/spectrum/SpectrumCursor.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace app::spectrum {

int cursorStep(CursorStep step, int pos, int lo, int hi)
{
    constexpr int kBigStep = 25;
    switch (step) {
    case CursorStep::Left:
        return pos <= lo ? hi : pos - 1;
    case CursorStep::Right:
        return pos >= hi ? lo : pos + 1;
    case CursorStep::BigLeft:
        if (pos <= lo)
            return hi;
        return pos < lo + kBigStep ? lo : pos - kBigStep;
    case CursorStep::BigRight:
        if (pos >= hi)
            return lo;
        return pos > hi - kBigStep ? hi : pos + kBigStep;
    }
    return pos;
}

double peakThreshold(ProcessingMode mode, bool logScale, const double* v, int pixelCount)
{
    constexpr int kReferencePixel = 18;
    if (mode != Scope || pixelCount <= kReferencePixel)
        return 0.0;
    if (logScale)
        return std::log10(3.1) * v[kReferencePixel];
    return static_cast<double>(3.1f) * v[kReferencePixel];
}

namespace {

bool isPeak(const double* v, int i, double threshold)
{
    return v[i] > v[i - 1] && v[i - 1] > v[i - 2] && v[i - 2] > v[i - 3] && v[i] > v[i + 1] &&
           v[i + 1] > v[i + 2] && v[i + 2] > v[i + 3] && v[i] > threshold;
}

} // namespace

int peakLeft(const double* v, int pixelCount, int pos, double threshold)
{
    const int last = pixelCount - 1;
    if (pos == 2)
        return last;
    for (int i = std::min(pos - 1, last - 3); i >= 3; --i)
        if (isPeak(v, i, threshold))
            return i;
    return 2;
}

int peakRight(const double* v, int pixelCount, int pos, double threshold)
{
    const int last = pixelCount - 1;
    if (pos == last)
        return 2;
    for (int i = std::max(pos + 1, 3); i <= last - 3; ++i)
        if (isPeak(v, i, threshold))
            return i;
    return last;
}

PeakWidth peakAndWidth(const double* v, int pixelCount, int a, int b)
{
    PeakWidth result;
    const int last = pixelCount - 1;
    if (last < 0)
        return result;
    a = std::clamp(a, 0, last);
    b = std::clamp(b, 0, pixelCount);
    int peak = 0;
    double best = 0.0;
    for (int i = a; i < b; ++i) {
        if (v[i] > best) {
            best = v[i];
            peak = i;
        }
    }
    result.peak = std::clamp(peak, 0, last);
    const int p = result.peak;
    const double half = v[p] * 0.5;
    if (!(v[p] > half))
        return result; // an empty run: both fallbacks
    int l = p;
    while (l > 0 && v[l - 1] > half)
        --l;
    int r = p;
    while (r < last && v[r + 1] > half)
        ++r;
    if (l > 0) {
        const double d = v[l] - half;
        const double s = v[l] - v[l - 1];
        if (d != 0.0 && s >= 1e-5)
            result.left = l - d / s;
    }
    if (r < last) {
        const double d = v[r] - half;
        const double s = v[r] - v[r + 1];
        if (d != 0.0 && s >= 1e-5)
            result.right = r + d / s;
    }
    return result;
}

int lastPixelBelow(const double* wavelengths, int pixelCount, double x)
{
    for (int i = pixelCount - 1; i >= 0; --i)
        if (wavelengths[i] < x)
            return i;
    return 0;
}

int overlayIndex(const double* wavelengths, double wl)
{
    constexpr int kLastIndex = 2047;
    if (!(wavelengths[0] < wl))
        return 0;
    int j = kLastIndex;
    for (int i = 1; i <= kLastIndex; ++i) {
        if (!(wavelengths[i] < wl)) {
            j = i;
            break;
        }
    }
    return j == 2 ? 0 : j;
}

std::string fixedText(double value, int decimals)
{
    char text[400];
    const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed,
                                 std::clamp(decimals, 0, 10));
    return r.ec == std::errc() ? std::string(text, r.ptr) : std::string("nan");
}

std::string cursorValueText(int precision, int pixel, double value)
{
    return std::to_string(pixel) + ", " + fixedText(value, precision);
}

} // namespace app::spectrum
