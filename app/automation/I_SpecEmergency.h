#pragma once

#include "app/automation/SpectrumAutomationObject.h"
#include "platform/automation/DispatchTable.h"

// "Harlune.SpecEmergency": the recovery commands: the target spectrum window's Emergency
// Reset, the main frame's Global Emergency Reset and Kick Start. The main frame's two are
// reached through a spectrum window, so they too need one. GUI thread only.
class I_SpecEmergency : public SpectrumAutomationObject
{
public:
    static I_SpecEmergency* create() { return new I_SpecEmergency(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    void Reset();
    void GlobalReset();
    void Kickstart();

private:
    I_SpecEmergency() : SpectrumAutomationObject("I_SpecEmergency") {}
    ~I_SpecEmergency() override = default;
};
