#pragma once

#include "app/automation/SpectrumAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>

// "Harlune.SpecTimeChannels": the six wavelength channels (0 to 5 = A to F) of the target
// spectrum window's time acquisition. A put stores the value; the window uses it from its next
// sample on. A channel outside 0 to 5 answers the neutral result and changes nothing. GUI
// thread only.
class I_SpecTimeChannels : public SpectrumAutomationObject
{
public:
    static I_SpecTimeChannels* create() { return new I_SpecTimeChannels(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetEnabled(int16_t channel);
    void SetEnabled(int16_t channel, bool value);
    bool GetPlotted(int16_t channel);
    void SetPlotted(int16_t channel, bool value);
    int16_t GetSpectrometerChannel(int16_t channel);
    void SetSpectrometerChannel(int16_t channel, int16_t value);
    double GetWavelength(int16_t channel);
    // Also derives the channel's centre pixel from the wavelength in the calibration of the
    // channel's spectrometer channel.
    void SetWavelength(int16_t channel, double value);
    int16_t GetBandwidth(int16_t channel);
    void SetBandwidth(int16_t channel, int16_t value);
    double GetFactor(int16_t channel);
    void SetFactor(int16_t channel, double value);
    double GetOffset(int16_t channel);
    void SetOffset(int16_t channel, double value);
    bool GetDACEnabled(int16_t channel);
    void SetDACEnabled(int16_t channel, bool value);

private:
    I_SpecTimeChannels() : SpectrumAutomationObject("I_SpecTimeChannels") {}
    ~I_SpecTimeChannels() override = default;

    // Reads and writes one field of the target's channel record.
    template <class R, class F> R read(int16_t channel, R neutral, F&& field);
    template <class F> void write(int16_t channel, F&& field);
};
