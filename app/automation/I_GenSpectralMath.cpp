#include "app/automation/I_GenSpectralMath.h"

#include "app/automation/NumericsMessageCapture.h"
#include "numerics/PolynomialRegression.h"
#include "numerics/SplineDriver.h"
#include "platform/automation/ClassInfo.h"
#include "platform/automation/FailureReports.h"
#include "platform/automation/HandlerGuard.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <source_location>
#include <string>
#include <vector>

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using Array = I_GenSpectralMath::Array;

namespace {

constexpr const char* kSpectralMathSourceName = "I_GenSpectralMath";
// The spline driver's cubic-spline interpolant with not-a-knot ends.
constexpr int32_t kCubicSplineInterpolant = 1;
constexpr size_t kStatistics = 10;

bool spectralMathAllFinite(const double* values, size_t count)
{
    return std::all_of(values, values + count, [](double v) { return std::isfinite(v); });
}

// A message of the numerical library goes to the error log; a warning of a call that went on
// does not fail an outside client's call, the message of a stop does.
void logNumericsMessage(const std::string& text, bool stopped)
{
    platform::automation::ErrorLogSink* sink = platform::automation::errorLogSink();
    if (text.empty() || !sink)
        return;
    if (stopped) {
        sink->logMessage(text);
        return;
    }
    const platform::automation::FailureReports kept;
    sink->logMessage(text);
}

// Runs one call into the numerical library with its messages caught: they reach the error log
// instead of standard output. A stop (the stop hook throws) is reported after its message, as
// a handler's exception is, and answers false.
template <class F>
bool runNumerics(F&& body, std::source_location where = std::source_location::current())
{
    const NumericsMessageCapture messages;
    try {
        body();
    } catch (...) {
        logNumericsMessage(messages.text(), true);
        platform::automation::reportHandlerException(kSpectralMathSourceName,
                                                     static_cast<int>(where.line()));
        return false;
    }
    logNumericsMessage(messages.text(), false);
    return true;
}

// The first count elements of an array when it holds that many and all are finite; else null.
const double* finiteInput(const Array& array, size_t count)
{
    const double* values = array.take(count);
    return values != nullptr && spectralMathAllFinite(values, count) ? values : nullptr;
}

// out[i] = f(a[i], b[i]) for i < count; FALSE, writing nothing, for a short array or a
// non-finite input.
template <class F> bool elementWise(size_t count, const Array& a, const Array& b, Array out, F f)
{
    if (count == 0)
        return true;
    const double* x = finiteInput(a, count);
    const double* y = finiteInput(b, count);
    double* o = out.take(count);
    if (x == nullptr || y == nullptr || o == nullptr)
        return false;
    for (size_t i = 0; i < count; ++i)
        o[i] = f(x[i], y[i]);
    return true;
}

template <class F> bool withConstant(size_t count, const Array& a, double constant, Array out, F f)
{
    if (count == 0)
        return true;
    if (!std::isfinite(constant))
        return false;
    return elementWise(count, a, a, out, [&](double x, double) { return f(x, constant); });
}

// The three processing formulas over (sample - dark) / (reference - dark); f(ratio, i)
// gives the element, and a zero denominator gives 0.
template <class F>
bool processing(size_t count, const Array& dark, const Array& reference, const Array& sample,
                Array out, F f)
{
    if (count == 0)
        return true;
    const double* d = finiteInput(dark, count);
    const double* r = finiteInput(reference, count);
    const double* s = finiteInput(sample, count);
    double* o = out.take(count);
    if (d == nullptr || r == nullptr || s == nullptr || o == nullptr)
        return false;
    for (size_t i = 0; i < count; ++i) {
        const double denominator = r[i] - d[i];
        o[i] = denominator == 0.0 ? 0.0 : f((s[i] - d[i]) / denominator, i);
    }
    return true;
}

// The sum of values[first..last].
double sumOf(const double* values, size_t first, size_t last)
{
    double sum = 0.0;
    for (size_t i = first; i <= last; ++i)
        sum += values[i];
    return sum;
}

// The window [start, end] of an array: its elements, or null when the window is empty,
// starts below 0, reaches beyond the array or holds a non-finite value.
const double* window(const Array& array, int16_t start, int16_t end)
{
    if (start < 0 || end < start)
        return nullptr;
    const double* values = array.take(static_cast<size_t>(end) + 1);
    return values != nullptr &&
                   spectralMathAllFinite(values + start, static_cast<size_t>(end - start) + 1)
               ? values
               : nullptr;
}

} // namespace

I_GenSpectralMath::I_GenSpectralMath()
    : AutomationObject(platform::automation::findClassByName("I_GenSpectralMath"))
{}

const DispatchTable& I_GenSpectralMath::table()
{
    static const DispatchTable t = [] {
        using C = I_GenSpectralMath;
        DispatchBinder<C> b;
        b.property("NumberOfPixels", &C::GetNumberOfPixels, &C::SetNumberOfPixels)
            .method("AddSpectra", &C::AddSpectra, {"spec1", "spec2", "res"})
            .method("SubtractSpectra", &C::SubtractSpectra, {"spec1", "spec2", "res"})
            .method("MultiplySpectra", &C::MultiplySpectra, {"spec1", "spec2", "res"})
            .method("DivideSpectra", &C::DivideSpectra, {"spec1", "spec2", "res"})
            .method("AddConstant", &C::AddConstant, {"spec1", "constant", "res"})
            .method("SubtractConstant", &C::SubtractConstant, {"spec", "constant", "res"})
            .method("MultiplyConstant", &C::MultiplyConstant, {"spec", "constant", "res"})
            .method("DivideConstant", &C::DivideConstant, {"spec", "constant", "res"})
            .method("Log10Spectrum", &C::Log10Spectrum, {"spec", "res"})
            .method("Average", &C::Average, {"spec"})
            .method("AverageWindow", &C::AverageWindow, {"spec", "startpixel", "endpixel"})
            .method("Sum", &C::Sum, {"spec"})
            .method("SumWindow", &C::SumWindow, {"spec", "startpixel", "endpixel"})
            .method("GetMaxValue", &C::GetMaxValue, {"spec"})
            .method("GetMinValue", &C::GetMinValue, {"spec"})
            .method("CalculateAbsorbance", &C::CalculateAbsorbance,
                    {"dark", "reference", "sample", "absorbance"})
            .method("CalculateTransmission", &C::CalculateTransmission,
                    {"dark", "reference", "sample", "transmission"})
            .method("CalculateIrradiance", &C::CalculateIrradiance,
                    {"dark", "sample", "reference", "irradconvarray", "irradiance"})
            .method("Boxcar", &C::Boxcar, {"spec", "width", "res"})
            .method("Integrate", &C::Integrate, {"wavelength", "spectrum", "type"})
            .method("IntegrateWindow", &C::IntegrateWindow,
                    {"wavelength", "spectrum", "startpix", "endpix", "type"})
            .method(
                "Interpolate", &C::Interpolate,
                {"wlin", "datain", "numpointsin", "derivative", "wlout", "numpointsout", "dataout"})
            .method("PolynomialRegression", &C::PolynomialRegression,
                    {"numpoints", "xdata", "ydata", "order", "coefs", "stats"})
            .method("Derivative", &C::Derivative,
                    {"spectrum", "wavelength", "order", "type", "result"});
        return b.table();
    }();
    return t;
}

void I_GenSpectralMath::SetNumberOfPixels(int16_t value)
{
    if (value >= 0)
        m_pixels = value;
}

bool I_GenSpectralMath::AddSpectra(Array spec1, Array spec2, Array res)
{
    return elementWise(pixels(), spec1, spec2, res, [](double a, double b) { return a + b; });
}

bool I_GenSpectralMath::SubtractSpectra(Array spec1, Array spec2, Array res)
{
    return elementWise(pixels(), spec1, spec2, res, [](double a, double b) { return a - b; });
}

bool I_GenSpectralMath::MultiplySpectra(Array spec1, Array spec2, Array res)
{
    return elementWise(pixels(), spec1, spec2, res, [](double a, double b) { return a * b; });
}

bool I_GenSpectralMath::DivideSpectra(Array spec1, Array spec2, Array res)
{
    return elementWise(pixels(), spec1, spec2, res,
                       [](double a, double b) { return b == 0.0 ? 0.0 : a / b; });
}

bool I_GenSpectralMath::AddConstant(Array spec1, double constant, Array res)
{
    return withConstant(pixels(), spec1, constant, res, [](double a, double c) { return c + a; });
}

bool I_GenSpectralMath::SubtractConstant(Array spec, double constant, Array res)
{
    return withConstant(pixels(), spec, constant, res, [](double a, double c) { return a - c; });
}

bool I_GenSpectralMath::MultiplyConstant(Array spec, double constant, Array res)
{
    return withConstant(pixels(), spec, constant, res, [](double a, double c) { return c * a; });
}

bool I_GenSpectralMath::DivideConstant(Array spec, double constant, Array res)
{
    return withConstant(pixels(), spec, constant, res,
                        [](double a, double c) { return c == 0.0 ? 0.0 : a / c; });
}

bool I_GenSpectralMath::Log10Spectrum(Array spec, Array res)
{
    return elementWise(pixels(), spec, spec, res,
                       [](double a, double) { return a > 0.0 ? std::log10(a) : 0.0; });
}

double I_GenSpectralMath::Average(Array spec)
{
    // Element 0 is left out of the mean; with one element there is nothing to average.
    const size_t n = pixels();
    if (n < 2)
        return 0.0;
    const double* a = finiteInput(spec, n);
    return a == nullptr ? 0.0 : sumOf(a, 1, n - 1) / static_cast<double>(n - 1);
}

double I_GenSpectralMath::AverageWindow(Array spec, int16_t startpixel, int16_t endpixel)
{
    const double* a = window(spec, startpixel, endpixel);
    if (a == nullptr)
        return 0.0;
    const size_t first = static_cast<size_t>(startpixel);
    const size_t last = static_cast<size_t>(endpixel);
    return sumOf(a, first, last) / static_cast<double>(last - first + 1);
}

double I_GenSpectralMath::Sum(Array spec)
{
    const size_t n = pixels();
    if (n < 2)
        return 0.0;
    const double* a = finiteInput(spec, n);
    return a == nullptr ? 0.0 : sumOf(a, 1, n - 1);
}

double I_GenSpectralMath::SumWindow(Array spec, int16_t startpixel, int16_t endpixel)
{
    const double* a = window(spec, startpixel, endpixel);
    return a == nullptr ? 0.0
                        : sumOf(a, static_cast<size_t>(startpixel), static_cast<size_t>(endpixel));
}

double I_GenSpectralMath::GetMaxValue(Array spec)
{
    const size_t n = std::max<size_t>(pixels(), 1);
    const double* a = finiteInput(spec, n);
    return a == nullptr ? 0.0 : *std::max_element(a, a + n);
}

double I_GenSpectralMath::GetMinValue(Array spec)
{
    const size_t n = std::max<size_t>(pixels(), 1);
    const double* a = finiteInput(spec, n);
    return a == nullptr ? 0.0 : *std::min_element(a, a + n);
}

bool I_GenSpectralMath::CalculateAbsorbance(Array dark, Array reference, Array sample,
                                            Array absorbance)
{
    return processing(pixels(), dark, reference, sample, absorbance,
                      [](double ratio, size_t) { return ratio > 0.0 ? -std::log10(ratio) : 0.0; });
}

bool I_GenSpectralMath::CalculateTransmission(Array dark, Array reference, Array sample,
                                              Array transmission)
{
    // A plain ratio, not a percentage.
    return processing(pixels(), dark, reference, sample, transmission,
                      [](double ratio, size_t) { return ratio; });
}

bool I_GenSpectralMath::CalculateIrradiance(Array dark, Array sample, Array reference,
                                            Array irradconvarray, Array irradiance)
{
    const size_t n = pixels();
    if (n == 0)
        return true;
    const double* factors = finiteInput(irradconvarray, n);
    if (factors == nullptr)
        return false;
    return processing(n, dark, reference, sample, irradiance,
                      [&](double ratio, size_t i) { return ratio * factors[i]; });
}

bool I_GenSpectralMath::Boxcar(Array spec, int16_t width, Array res)
{
    const size_t n = pixels();
    const double* a = finiteInput(spec, n);
    double* out = res.take(n);
    if (a == nullptr || out == nullptr)
        return false;
    if (width <= 0)
        return true;
    // The work copy lets res be the same array as spec.
    const std::vector<double> work(a, a + n);
    const size_t w = static_cast<size_t>(width);
    const double span = static_cast<double>(2 * w + 1);
    for (size_t i = w; i + w < n; ++i)
        out[i] = sumOf(work.data(), i - w, i + w) / span;
    return true;
}

double I_GenSpectralMath::Integrate(Array wavelength, Array spectrum, int16_t type)
{
    const size_t n = pixels();
    if (n < 2 || type < kRectangular || type > kSimpsons)
        return 0.0;
    const double* x = finiteInput(wavelength, n);
    const double* y = finiteInput(spectrum, n);
    if (x == nullptr || y == nullptr)
        return 0.0;
    double sum = 0.0;
    if (type == kSimpsons) {
        // The panel width is taken from the panel's first interval.
        for (size_t j = 0; j + 2 <= n - 1; j += 2)
            sum += (x[j + 1] - x[j]) * (y[j] + 4.0 * y[j + 1] + y[j + 2]) / 3.0;
        return sum;
    }
    for (size_t i = 0; i + 1 < n; ++i)
        sum += (x[i + 1] - x[i]) * (type == kRectangular ? y[i] : (y[i] + y[i + 1]) / 2.0);
    return sum;
}

double I_GenSpectralMath::IntegrateWindow(Array wavelength, Array spectrum, int16_t startpix,
                                          int16_t endpix, int16_t type)
{
    // Every rule needs lo < hi - 1 and leaves the interval from hi - 1 to hi out.
    const int lo = startpix;
    const int hi = endpix;
    if (lo < 0 || lo >= hi - 1 || type < kRectangular || type > kSimpsons)
        return 0.0;
    const int panels = (hi - lo) / 2;
    // The last element read: x[hi - 1] for the two sums, y[lo + 2 * panels] for Simpson.
    const size_t needed = static_cast<size_t>(type == kSimpsons ? lo + 2 * panels + 1 : hi);
    const double* x = finiteInput(wavelength, needed);
    const double* y = finiteInput(spectrum, needed);
    if (x == nullptr || y == nullptr)
        return 0.0;
    double sum = 0.0;
    if (type == kSimpsons) {
        for (int k = 0; k < panels; ++k) {
            const int j = lo + 2 * k;
            sum += (x[j + 1] - x[j]) * (y[j] + 4.0 * y[j + 1] + y[j + 2]) / 3.0;
        }
        return sum;
    }
    for (int i = lo; i <= hi - 2; ++i)
        sum += (x[i + 1] - x[i]) * (type == kRectangular ? y[i] : (y[i] + y[i + 1]) / 2.0);
    return sum;
}

bool I_GenSpectralMath::Interpolate(Array wlin, Array datain, int16_t numpointsin,
                                    int16_t derivative, Array wlout, int16_t numpointsout,
                                    Array dataout)
{
    if (numpointsin < 1 || numpointsout < 1)
        return false;
    const size_t ndata = static_cast<size_t>(numpointsin);
    const size_t count = static_cast<size_t>(numpointsout);
    const double* x = finiteInput(wlin, ndata);
    const double* y = finiteInput(datain, ndata);
    const double* xvec = finiteInput(wlout, count);
    double* out = dataout.take(count);
    if (x == nullptr || y == nullptr || xvec == nullptr || out == nullptr)
        return false;
    // A failure the library stops on throws (the program's stop hook): nothing is written.
    return runNumerics([&] {
        std::vector<double> values(count);
        numerics::DSPLEZ(numpointsin, x, y, kCubicSplineInterpolant, derivative, numpointsout, xvec,
                         values.data());
        std::copy(values.begin(), values.end(), out);
    });
}

bool I_GenSpectralMath::PolynomialRegression(int32_t numpoints, Array xdata, Array ydata,
                                             int32_t order, Array coefs, Array stats)
{
    if (order < 0 || int64_t{numpoints} < int64_t{order} + 2)
        return false;
    const size_t nobs = static_cast<size_t>(numpoints);
    const size_t terms = static_cast<size_t>(order) + 1;
    const double* x = finiteInput(xdata, nobs);
    const double* y = finiteInput(ydata, nobs);
    double* b = coefs.take(terms);
    double* stat = stats.take(kStatistics);
    if (x == nullptr || y == nullptr || b == nullptr || stat == nullptr)
        return false;
    return runNumerics([&] {
        std::vector<double> coefficients(terms);
        std::vector<double> work(terms);
        std::vector<double> statistics(kStatistics);
        numerics::DRCURV(numpoints, x, y, order, coefficients.data(), work.data(),
                         statistics.data());
        std::copy(coefficients.begin(), coefficients.end(), b);
        std::copy(statistics.begin(), statistics.end(), stat);
    });
}

bool I_GenSpectralMath::Derivative(Array spectrum, Array wavelength, int16_t order, int16_t type,
                                   Array result)
{
    const size_t n = pixels();
    const double* y = finiteInput(spectrum, n);
    const double* x = finiteInput(wavelength, n);
    double* out = result.take(std::max<size_t>(n, 1));
    if (y == nullptr || x == nullptr || out == nullptr)
        return false;
    // Worked on copies, so the result array may be one of the inputs and a failure writes
    // nothing.
    std::vector<double> values(out, out + n);
    if (type != kNumeric) {
        const bool fitted = runNumerics([&] {
            numerics::DSPLEZ(static_cast<int32_t>(n), x, y, kCubicSplineInterpolant, order,
                             static_cast<int32_t>(n), x, values.data());
        });
        if (!fitted)
            return false;
    } else if (n > 1) {
        std::vector<double> work(y, y + n);
        const std::vector<double> abscissae(x, x + n);
        for (int pass = 0; pass < order; ++pass) {
            for (size_t i = 1; i < n; ++i)
                values[i] = (work[i] - work[i - 1]) / (abscissae[i] - abscissae[i - 1]);
            // Work element 0 keeps spectrum[0] through every pass.
            std::copy(values.begin() + 1, values.end(), work.begin() + 1);
        }
    }
    std::copy(values.begin(), values.end(), out);
    out[0] = 0.0;
    return true;
}
