#pragma once

#include "app/automation/GraphAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GraphSettings": graph settings files of the target graph window. No settings file
// is read or written: both members answer FALSE. GUI thread only.
class I_GraphSettings : public GraphAutomationObject
{
public:
    static I_GraphSettings* create() { return new I_GraphSettings(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool OpenGraphSettings(const std::string& Filename);
    bool SaveGraphSettings(const std::string& Filename);

private:
    I_GraphSettings() : GraphAutomationObject("I_GraphSettings") {}
    ~I_GraphSettings() override = default;
};
