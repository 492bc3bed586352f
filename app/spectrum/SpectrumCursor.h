#pragma once

#include "app/spectrum/SpectrumTypes.h"

#include <array>
#include <string>

// The spectrum cursor's arithmetic without the view: steps, the peak search, the peak and
// its full width at half maximum, the overlay index rule and the read-out formats. Values
// are read only up to the pixel count; what an array holds beyond it never counts.
namespace app::spectrum {

enum class CursorStep
{
    Left,
    Right,
    BigLeft,
    BigRight,
};

// One step from pos within lo..hi (0..last without the range limit), wrapping at the ends.
int cursorStep(CursorStep step, int pos, int lo, int hi);

// The peak threshold: in Scope mode the single-precision 3.1 times v[18] (log10(3.1) times
// v[18] on the log scale), else 0.0. With fewer than 19 pixels there is no v[18]: 0.0.
double peakThreshold(ProcessingMode mode, bool logScale, const double* v, int pixelCount);

// Peak searches from pos over the first pixelCount values. A candidate needs three strictly
// falling neighbours on each side inside the spectrum (candidates 3 to last - 3). Left from
// pixel 2 wraps to the last pixel, right from the last pixel wraps to 2; a search that finds
// nothing ends at 2 (left) or the last pixel (right).
int peakLeft(const double* v, int pixelCount, int pos, double threshold);
int peakRight(const double* v, int pixelCount, int pos, double threshold);

// The highest peak between pixels a and b - 1 and its half-maximum crossings as fractional
// pixels (left 0.0 and right 1000.0 when a crossing cannot be found).
struct PeakWidth
{
    int peak = 0;
    double left = 0.0;
    double right = 1000.0;
};
PeakWidth peakAndWidth(const double* v, int pixelCount, int a, int b);

// The last pixel among the first pixelCount whose wavelength is below x; 0 when none.
int lastPixelBelow(const double* wavelengths, int pixelCount, double x);

// An overlay slot's index for wavelength wl: 0 when its first wavelength is not below wl,
// else the first index up to 2047 whose wavelength is not below wl (2047 when none); an
// index of 2 counts as 0.
int overlayIndex(const double* wavelengths, double wl);

// "%d, %.<precision>f" of a pixel and its value.
std::string cursorValueText(int precision, int pixel, double value);
// "%.<decimals>f" without the process locale.
std::string fixedText(double value, int decimals);

} // namespace app::spectrum
