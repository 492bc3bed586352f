#pragma once

#include "app/automation/SpectrometerConfigurationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>

// "Harlune.SpecSpecStrayLight": the stray-light correction of the target spectrum window, a
// single-precision constant and an enable flag per channel; puts apply. A channel outside 0
// to 7 or a non-finite constant changes nothing. GUI thread only.
class I_SpecSpecStrayLight : public SpectrometerConfigurationObject
{
public:
    static I_SpecSpecStrayLight* create() { return new I_SpecSpecStrayLight(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    double GetCorrectionCoefficient(int16_t channel);
    void SetCorrectionCoefficient(int16_t channel, double value);
    bool GetCorrectionEnabled(int16_t channel);
    void SetCorrectionEnabled(int16_t channel, bool value);

private:
    I_SpecSpecStrayLight() : SpectrometerConfigurationObject("I_SpecSpecStrayLight") {}
    ~I_SpecSpecStrayLight() override = default;
};
