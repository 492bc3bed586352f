#pragma once

#include "platform/automation/AutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GenAcquisition": the main frame's round-robin acquisition for scripts (halt, resume,
// one scan, one scan for a named window). GUI thread only.
class I_GenAcquisition : public platform::automation::AutomationObject
{
public:
    static I_GenAcquisition* create() { return new I_GenAcquisition(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool HaltAcquisition();
    bool StartAcquisition();
    int32_t GetAcquisitionHalted();
    bool GetNextAcquisition();
    bool GetAcquisitionForWindow(const std::string& windowname);

private:
    I_GenAcquisition();
    ~I_GenAcquisition() override = default;
};
