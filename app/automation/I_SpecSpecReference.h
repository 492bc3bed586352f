#pragma once

#include "app/automation/SpectrometerConfigurationObject.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>

// "Harlune.SpecSpecReference": the reference monitoring record of each channel of the target
// spectrum window. Puts store the value and let the configuration derive the reference
// pixels again; none reaches the driver. A channel outside 0 to 7, a non-finite wavelength
// or an array shorter than the pixel count answers the zero result and changes nothing. GUI
// thread only.
class I_SpecSpecReference : public SpectrometerConfigurationObject
{
public:
    static I_SpecSpecReference* create() { return new I_SpecSpecReference(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    int16_t GetPixel(int16_t channel);
    int16_t GetStartPixel(int16_t channel);
    int16_t GetEndPixel(int16_t channel);
    // Writes the channel's per-pixel reference map, pixel count entries.
    bool GetReferencePixelArray(int16_t channel, platform::automation::ByRef<int16_t> pixels);
    int16_t GetChannel(int16_t channel);
    void SetChannel(int16_t channel, int16_t value);
    int16_t GetType(int16_t channel);
    void SetType(int16_t channel, int16_t value);
    double GetWavelength(int16_t channel);
    void SetWavelength(int16_t channel, double value);
    double GetBandwidthStart(int16_t channel);
    void SetBandwidthStart(int16_t channel, double value);
    double GetBandwidthEnd(int16_t channel);
    void SetBandwidthEnd(int16_t channel, double value);

private:
    I_SpecSpecReference() : SpectrometerConfigurationObject("I_SpecSpecReference") {}
    ~I_SpecSpecReference() override = default;
};
