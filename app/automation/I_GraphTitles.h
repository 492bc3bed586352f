#pragma once

#include "app/automation/GraphAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GraphTitles": the axis titles and the main title of the target graph window's
// chart. GUI thread only.
class I_GraphTitles : public GraphAutomationObject
{
public:
    static I_GraphTitles* create() { return new I_GraphTitles(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    std::string GetXTitle();
    void SetXTitle(const std::string& value);
    std::string GetYTitle();
    void SetYTitle(const std::string& value);
    std::string GetMainTitle();
    void SetMainTitle(const std::string& value);

private:
    I_GraphTitles() : GraphAutomationObject("I_GraphTitles") {}
    ~I_GraphTitles() override = default;
};
