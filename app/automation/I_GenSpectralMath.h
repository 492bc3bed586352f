#pragma once

#include "platform/automation/AutomationObject.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>

// "Harlune.GenSpectralMath": arithmetic on whole spectra held in script arrays, over
// elements 0 to N-1 (N = NumberOfPixels, 2048 at creation). Interpolation and the spline
// derivative use the numerical library's spline driver, the regression its polynomial fit;
// a failure the library reports as fatal answers FALSE with one error-log line instead of
// ending the program (the stop hook throws). Every member reads and writes only within the
// script's arrays: an array shorter than it needs, a window or count beyond it, or a NaN or
// infinite input answers FALSE (or 0.0) and writes nothing. GUI thread only: the numerical
// library's error state is process-wide.
class I_GenSpectralMath : public platform::automation::AutomationObject
{
public:
    using Array = platform::automation::ByRef<double>;

    static constexpr int16_t kDefaultPixels = 2048;
    // INTEGRALTYPE and DERIVATIVETYPE.
    static constexpr int16_t kRectangular = 0;
    static constexpr int16_t kTrapezoidal = 1;
    static constexpr int16_t kSimpsons = 2;
    static constexpr int16_t kNumeric = 0;
    static constexpr int16_t kCubicSpline = 1;

    static I_GenSpectralMath* create() { return new I_GenSpectralMath(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    int16_t GetNumberOfPixels() { return m_pixels; }
    // A negative count is refused.
    void SetNumberOfPixels(int16_t value);

    bool AddSpectra(Array spec1, Array spec2, Array res);
    bool SubtractSpectra(Array spec1, Array spec2, Array res);
    bool MultiplySpectra(Array spec1, Array spec2, Array res);
    // res[i] = 0 where spec2[i] = 0.
    bool DivideSpectra(Array spec1, Array spec2, Array res);
    bool AddConstant(Array spec1, double constant, Array res);
    bool SubtractConstant(Array spec, double constant, Array res);
    bool MultiplyConstant(Array spec, double constant, Array res);
    // A constant of 0 gives zeros.
    bool DivideConstant(Array spec, double constant, Array res);
    // 0 where spec[i] <= 0.
    bool Log10Spectrum(Array spec, Array res);
    // The mean of elements 1 to N-1 (element 0 is left out); 0.0 when N < 2.
    double Average(Array spec);
    // The mean of elements startpixel to endpixel; 0.0 when endpixel < startpixel.
    double AverageWindow(Array spec, int16_t startpixel, int16_t endpixel);
    // The sum of elements 1 to N-1; 0.0 when N < 2.
    double Sum(Array spec);
    double SumWindow(Array spec, int16_t startpixel, int16_t endpixel);
    double GetMaxValue(Array spec);
    double GetMinValue(Array spec);
    bool CalculateAbsorbance(Array dark, Array reference, Array sample, Array absorbance);
    bool CalculateTransmission(Array dark, Array reference, Array sample, Array transmission);
    bool CalculateIrradiance(Array dark, Array sample, Array reference, Array irradconvarray,
                             Array irradiance);
    // Centred moving average of half-width width; the ends are left as they were.
    bool Boxcar(Array spec, int16_t width, Array res);
    double Integrate(Array wavelength, Array spectrum, int16_t type);
    // Leaves the interval from endpix - 1 to endpix out.
    double IntegrateWindow(Array wavelength, Array spectrum, int16_t startpix, int16_t endpix,
                           int16_t type);
    // The cubic-spline values (or derivatives) at numpointsout abscissae; N is not used.
    bool Interpolate(Array wlin, Array datain, int16_t numpointsin, int16_t derivative, Array wlout,
                     int16_t numpointsout, Array dataout);
    // coefs receives order + 1 coefficients, stats ten statistics.
    bool PolynomialRegression(int32_t numpoints, Array xdata, Array ydata, int32_t order,
                              Array coefs, Array stats);
    // out[0] is always 0.
    bool Derivative(Array spectrum, Array wavelength, int16_t order, int16_t type, Array result);

private:
    I_GenSpectralMath();
    ~I_GenSpectralMath() override = default;

    size_t pixels() const { return static_cast<size_t>(m_pixels); }

    int16_t m_pixels = kDefaultPixels;
};
