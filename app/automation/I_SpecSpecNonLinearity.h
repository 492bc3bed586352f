#pragma once

#include "app/automation/SpectrometerConfigurationObject.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>

// "Harlune.SpecSpecNonLinearity": the detector non-linearity correction of the target
// spectrum window, eight single-precision coefficients and an enable flag per channel; puts
// apply. A channel outside 0 to 7, an array of fewer than eight elements or a non-finite
// coefficient answers FALSE and changes nothing. GUI thread only.
class I_SpecSpecNonLinearity : public SpectrometerConfigurationObject
{
public:
    static constexpr size_t kCoefficients = 8;

    static I_SpecSpecNonLinearity* create() { return new I_SpecSpecNonLinearity(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetCorrectionCoefficients(int16_t channel, platform::automation::ByRef<double> coefs);
    // Each value is rounded to single precision.
    bool SetCorrectionCoefficients(int16_t channel, platform::automation::ByRef<double> coefs);
    bool GetCorrectionEnabled(int16_t channel);
    void SetCorrectionEnabled(int16_t channel, bool value);

private:
    I_SpecSpecNonLinearity() : SpectrometerConfigurationObject("I_SpecSpecNonLinearity") {}
    ~I_SpecSpecNonLinearity() override = default;
};
