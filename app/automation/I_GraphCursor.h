#pragma once

#include "app/automation/GraphAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GraphCursor": the target graph window's cursor (switch, colour, line pattern and
// width, point and trace), its dialog, and the values of a trace at the cursor point. GUI
// thread only.
class I_GraphCursor : public GraphAutomationObject
{
public:
    static I_GraphCursor* create() { return new I_GraphCursor(); }
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
    int32_t GetPoint();
    void SetPoint(int32_t value);
    int32_t GetActiveTrace();
    void SetActiveTrace(int32_t value);
    void ShowConfigurationDialog();
    double GetXValueAtCursor(int32_t trace);
    double GetYValueAtCursor(int32_t trace);

private:
    I_GraphCursor() : GraphAutomationObject("I_GraphCursor") {}
    ~I_GraphCursor() override = default;
};
