#pragma once

#include "app/automation/SpectrumSettingsObject.h"
#include "platform/automation/DispatchTable.h"

// "Harlune.SpecPrintingSettings": the program-wide printing preference of the main frame
// (changed in memory for every window at once; the main frame stores it when it closes).
// GUI thread only.
class I_SpecPrintingSettings : public SpectrumSettingsObject
{
public:
    static I_SpecPrintingSettings* create() { return new I_SpecPrintingSettings(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetPrintBWOnly();
    void SetPrintBWOnly(bool value);

private:
    I_SpecPrintingSettings() : SpectrumSettingsObject("I_SpecPrintingSettings") {}
    ~I_SpecPrintingSettings() override = default;
};
