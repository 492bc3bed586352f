#pragma once

#include "app/automation/SpectrumSettingsObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>

// "Harlune.SpecMiscSettings": program-wide preferences of the main frame (changed in memory
// for every window at once; the main frame stores them when it closes) and the target
// window's scope-mode saturation threshold. GUI thread only.
class I_SpecMiscSettings : public SpectrumSettingsObject
{
public:
    static I_SpecMiscSettings* create() { return new I_SpecMiscSettings(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetWarnBeforeOverlayCleared();
    void SetWarnBeforeOverlayCleared(bool value);
    int16_t GetScopeModeSaturatedWarning();
    void SetScopeModeSaturatedWarning(int16_t value);
    int16_t GetStoreDarkAndReferenceFor();
    void SetStoreDarkAndReferenceFor(int16_t value);
    int16_t GetCopyToolbarFunction();
    void SetCopyToolbarFunction(int16_t value);
    int16_t GetPercentTransmissionMode();
    void SetPercentTransmissionMode(int16_t value);
    int16_t GetWhenCopying();
    void SetWhenCopying(int16_t value);
    double GetScopeModeSaturationThreshold();
    void SetScopeModeSaturationThreshold(double value);

private:
    I_SpecMiscSettings() : SpectrumSettingsObject("I_SpecMiscSettings") {}
    ~I_SpecMiscSettings() override = default;

    // A 32-bit preference read as 16 bits, and a 16-bit value stored into it (sign-extended,
    // so a negative value reads back unchanged).
    int16_t low16(uint32_t MainFramePreferences::*field);
    void setFrom16(uint32_t MainFramePreferences::*field, int16_t value);
};
