#pragma once

#include "app/automation/SpectrumSettingsObject.h"
#include "platform/automation/DispatchTable.h"

// "Harlune.SpecUSBMavrin": the Mavrin light source's settings of the target spectrum window.
// A put stores the setting and refreshes the window's acquisition bar, which shows them; the
// temperature is the one the window read last (no device call). GUI thread only.
class I_SpecUSBMavrin : public SpectrumSettingsObject
{
public:
    static I_SpecUSBMavrin* create() { return new I_SpecUSBMavrin(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetLEDOn();
    void SetLEDOn(bool value);
    bool GetLEDModulate();
    void SetLEDModulate(bool value);
    bool GetAcquireTemperature();
    void SetAcquireTemperature(bool value);
    bool GetTempInDegreesC();
    void SetTempInDegreesC(bool value);
    bool GetIsAttached();
    void SetIsAttached(bool value);
    double GetTemperature();

private:
    I_SpecUSBMavrin() : SpectrumSettingsObject("I_SpecUSBMavrin") {}
    ~I_SpecUSBMavrin() override = default;
};
