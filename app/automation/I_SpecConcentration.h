#pragma once

#include "app/automation/SpectrumAutomationObject.h"
#include "platform/automation/DispatchTable.h"

// "Harlune.SpecConcentration": the six window-choosing members only; choosing a window has no
// further effect. GUI thread only.
class I_SpecConcentration : public SpectrumAutomationObject
{
public:
    static I_SpecConcentration* create() { return new I_SpecConcentration(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

private:
    I_SpecConcentration() : SpectrumAutomationObject("I_SpecConcentration") {}
    ~I_SpecConcentration() override = default;
};
