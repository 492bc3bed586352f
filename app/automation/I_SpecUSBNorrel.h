#pragma once

#include "app/automation/SpectrumAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>

// "Harlune.SpecUSBNorrel": the Norrel accessory's object. It answers fixed values and changes
// nothing (the window's Norrel bar drives the unit); only the window-choosing members act.
// Without a spectrum window it answers FALSE and 0. GUI thread only.
class I_SpecUSBNorrel : public SpectrumAutomationObject
{
public:
    static I_SpecUSBNorrel* create() { return new I_SpecUSBNorrel(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetLampOn() { return hasTarget(); }
    void SetLampOn(bool) {}
    int16_t GetVisibleLampIntensity() { return 0; }
    void SetVisibleLampIntensity(int16_t) {}
    int16_t GetUVLampIntensity() { return 0; }
    void SetUVLampIntensity(int16_t) {}
    bool GetShutterOpen() { return hasTarget(); }
    void SetShutterOpen(bool) {}
    bool GetVisibleLampOn() { return hasTarget(); }
    void SetVisibleLampOn(bool) {}
    bool StoreCurrentIntensityValues() { return hasTarget(); }

private:
    I_SpecUSBNorrel() : SpectrumAutomationObject("I_SpecUSBNorrel") {}
    ~I_SpecUSBNorrel() override = default;

    // Whether a spectrum window is the target (the class logs nothing without one).
    bool hasTarget()
    {
        return onTarget(false, [](uint32_t) { return true; });
    }
};
