#pragma once

#include "app/automation/SpectrumAutomationObject.h"
#include "app/spectrum/TimeAcquisition.h"
#include "platform/automation/DispatchTable.h"

#include <array>
#include <cstdint>
#include <memory>

class CHarluneSpectrumView;

// "Harlune.SpecAnalogOutput": the analog output of the accessory on a spectrum window's
// spectrometer, either the Pavik's Mavrin output (kind 1, one output, 65534 counts) or the
// BrontelUSB D/A converter (kind 2, 4095 counts). Each of the eight channels maps user values
// onto counts linearly (gain = user units per count, offset = user value of count 0). The kind
// is fixed when the object is made, from the window it starts on; with neither converter it
// is 0 and nothing is written. GUI thread only.
class I_SpecAnalogOutput : public SpectrumAutomationObject
{
public:
    static constexpr int kChannels = 8;
    static constexpr int16_t kNoConverter = 0;
    static constexpr int16_t kMavrin = 1;
    static constexpr int16_t kBrontelUSB = 2;

    static I_SpecAnalogOutput* create() { return new I_SpecAnalogOutput(nullptr); }
    // An object that writes to view's converters whatever window is active: the one a time
    // acquisition makes for its run. It keeps one reference to the object.
    static std::unique_ptr<app::spectrum::TimeAnalogOutput> makeForRun(CHarluneSpectrumView& view);
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool SetRawValue(int16_t channel, int32_t counts);
    bool SetRange(int16_t channel, double low, double high);
    bool SetValue(int16_t channel, double value);
    bool SetVoltage(int16_t channel, double volts);
    double GetGain(int16_t channel);
    void SetGain(int16_t channel, double gain);
    double GetOffset(int16_t channel);
    void SetOffset(int16_t channel, double offset);

    int16_t converterKind() const { return m_kind; }
    double fullScale() const { return m_fullScale; }

private:
    // runView: the window of a run's object, or null for a script's object (which follows
    // its selector).
    explicit I_SpecAnalogOutput(CHarluneSpectrumView* runView);
    ~I_SpecAnalogOutput() override = default;

    // Counts of a quotient: a non-finite one is 0, a huge one the nearest long; else
    // truncated toward zero.
    static int32_t countsOf(double quotient);
    static bool validChannel(int16_t channel) { return channel >= 0 && channel < kChannels; }

    CHarluneSpectrumView* m_runView;
    std::array<double, kChannels> m_gain;
    std::array<double, kChannels> m_offset;
    double m_fullScale = 0.0;
    double m_voltageMaximum = 0.0;
    double m_voltageMinimum = 0.0;
    int16_t m_kind = kNoConverter;
};
