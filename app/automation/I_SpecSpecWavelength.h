#pragma once

#include "app/automation/SpectrometerConfigurationObject.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>

// "Harlune.SpecSpecWavelength": the wavelength calibration of the target spectrum window. A
// coefficient put stores the channel's four coefficients (applying them while Autolock is
// on), recomputes the channel's wavelengths into the document and hands them to the chart as
// its X values; an Intercept put also resets the axes. A channel outside 0 to 7, an array
// shorter than the pixel count or a non-finite value answers the zero result and changes
// nothing. GUI thread only.
class I_SpecSpecWavelength : public SpectrometerConfigurationObject
{
public:
    static I_SpecSpecWavelength* create() { return new I_SpecSpecWavelength(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    // Writes the pixel count of wavelengths, pixel 0 first.
    bool GetAllWavelengths(int16_t channel, platform::automation::ByRef<double> wavelengths);
    double GetStartingWavelength(int16_t channel);
    double GetEndingWavelength(int16_t channel);
    // Has the window load the device's coefficients again; TRUE whether or not it gave any.
    bool GetCoefficientsFromDevice();
    // The pixel is clamped to the spectrometer's pixels.
    double GetWavelength(int16_t channel, int16_t pixel);
    int16_t GetPixel(int16_t channel, double wavelength);
    double GetFirstCoefficient(int16_t channel) { return coefficient(channel, 1); }
    void SetFirstCoefficient(int16_t channel, double value) { setCoefficient(channel, 1, value); }
    double GetSecondCoefficient(int16_t channel) { return coefficient(channel, 2); }
    void SetSecondCoefficient(int16_t channel, double value) { setCoefficient(channel, 2, value); }
    double GetThirdCoefficient(int16_t channel) { return coefficient(channel, 3); }
    void SetThirdCoefficient(int16_t channel, double value) { setCoefficient(channel, 3, value); }
    double GetIntercept(int16_t channel) { return coefficient(channel, 0); }
    void SetIntercept(int16_t channel, double value) { setCoefficient(channel, 0, value); }

private:
    I_SpecSpecWavelength() : SpectrometerConfigurationObject("I_SpecSpecWavelength") {}
    ~I_SpecSpecWavelength() override = default;

    // index: 0 intercept, 1 first, 2 second, 3 third.
    double coefficient(int16_t channel, int index,
                       std::source_location where = std::source_location::current());
    void setCoefficient(int16_t channel, int index, double value,
                        std::source_location where = std::source_location::current());
};
