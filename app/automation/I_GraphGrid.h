#pragma once

#include "app/automation/GraphAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GraphGrid": the grid lines of the target graph window's chart and their dialog.
// GUI thread only.
class I_GraphGrid : public GraphAutomationObject
{
public:
    static I_GraphGrid* create() { return new I_GraphGrid(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetEnabled();
    void SetEnabled(bool value);
    int32_t GetColor();
    void SetColor(int32_t value);
    int16_t GetStyle();
    void SetStyle(int16_t value);
    int16_t GetWidth();
    void SetWidth(int16_t value);
    void ShowConfigurationDialog();

private:
    I_GraphGrid() : GraphAutomationObject("I_GraphGrid") {}
    ~I_GraphGrid() override = default;
};
