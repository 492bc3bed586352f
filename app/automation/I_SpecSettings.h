#pragma once

#include "app/automation/SpectrumAutomationObject.h"
#include "platform/automation/DispatchTable.h"

// "Harlune.SpecSettings": the spectrum settings' object, with the six window-choosing members only.
// GUI thread only.
class I_SpecSettings : public SpectrumAutomationObject
{
public:
    static I_SpecSettings* create() { return new I_SpecSettings(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

private:
    I_SpecSettings() : SpectrumAutomationObject("I_SpecSettings") {}
    ~I_SpecSettings() override = default;
};
