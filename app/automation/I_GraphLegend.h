#pragma once

#include "app/automation/GraphAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GraphLegend": the legend of the target graph window's chart, its font, dialog and
// the legend text of each trace (0-based). GUI thread only.
class I_GraphLegend : public GraphAutomationObject
{
public:
    static I_GraphLegend* create() { return new I_GraphLegend(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetVisible();
    void SetVisible(bool value);
    int32_t GetForegroundColor();
    void SetForegroundColor(int32_t value);
    bool GetFloating();
    void SetFloating(bool value);
    int16_t GetPosition();
    void SetPosition(int16_t value);
    int16_t GetBorder();
    void SetBorder(int16_t value);
    int16_t GetOrientation();
    void SetOrientation(int16_t value);
    int16_t GetBorderWidth();
    void SetBorderWidth(int16_t value);
    int32_t GetBackgroundColor();
    void SetBackgroundColor(int32_t value);
    bool SetLegendFont(const std::string& name, int16_t size);
    void ShowConfigurationDialog();
    std::string GetText(int32_t trace);
    void SetText(int32_t trace, const std::string& value);

private:
    I_GraphLegend() : GraphAutomationObject("I_GraphLegend") {}
    ~I_GraphLegend() override = default;
};
