#pragma once

#include "app/automation/SpectrumAutomationObject.h"
#include "platform/automation/DispatchTable.h"

// "Harlune.SpecWessor": the Wessor model's object, with the six window-choosing members only. GUI
// thread only.
class I_SpecWessor : public SpectrumAutomationObject
{
public:
    static I_SpecWessor* create() { return new I_SpecWessor(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

private:
    I_SpecWessor() : SpectrumAutomationObject("I_SpecWessor") {}
    ~I_SpecWessor() override = default;
};
