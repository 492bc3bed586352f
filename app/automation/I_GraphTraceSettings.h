#pragma once

#include "app/automation/GraphAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GraphTraceSettings": the line and point style of each trace (0-based) of the
// target graph window's chart, and the trace dialog. GUI thread only.
class I_GraphTraceSettings : public GraphAutomationObject
{
public:
    static I_GraphTraceSettings* create() { return new I_GraphTraceSettings(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    void ShowConfigurationDialog();
    int32_t GetLineColor(int32_t trace);
    void SetLineColor(int32_t trace, int32_t value);
    int16_t GetLineWidth(int32_t trace);
    void SetLineWidth(int32_t trace, int16_t value);
    int16_t GetLineStyle(int32_t trace);
    void SetLineStyle(int32_t trace, int16_t value);
    int16_t GetPointSize(int32_t trace);
    void SetPointSize(int32_t trace, int16_t value);
    int16_t GetPointStyle(int32_t trace);
    void SetPointStyle(int32_t trace, int16_t value);
    int32_t GetPointColor(int32_t trace);
    void SetPointColor(int32_t trace, int32_t value);
    int16_t GetPointFillPattern(int32_t trace);
    void SetPointFillPattern(int32_t trace, int16_t value);

private:
    I_GraphTraceSettings() : GraphAutomationObject("I_GraphTraceSettings") {}
    ~I_GraphTraceSettings() override = default;
};
