#pragma once

#include "app/automation/SpectrumChartObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>

// "Harlune.SpecTraceSettings": the line and point style of each of the sixteen chart traces
// of the target spectrum window. A put stores into the trace's style and hands the whole
// style to the chart for that data set, so it shows at once. A trace outside 0 to 15, a line
// width outside 0 to 10 or a point size outside 0 to 100 answers the zero result and changes
// nothing. GUI thread only.
class I_SpecTraceSettings : public SpectrumChartObject
{
public:
    static I_SpecTraceSettings* create() { return new I_SpecTraceSettings(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    // The window's Display Properties command.
    void ShowConfigurationDialog();
    int16_t GetLineStyle(int16_t trace);
    void SetLineStyle(int16_t trace, int16_t value);
    int32_t GetLineColor(int16_t trace);
    void SetLineColor(int16_t trace, int32_t value);
    int16_t GetLineWidth(int16_t trace);
    void SetLineWidth(int16_t trace, int16_t value);
    int16_t GetPointSize(int16_t trace);
    void SetPointSize(int16_t trace, int16_t value);
    int16_t GetPointStyle(int16_t trace);
    void SetPointStyle(int16_t trace, int16_t value);
    int32_t GetPointColor(int16_t trace);
    void SetPointColor(int16_t trace, int32_t value);

private:
    I_SpecTraceSettings() : SpectrumChartObject("I_SpecTraceSettings") {}
    ~I_SpecTraceSettings() override = default;

    template <class Field> int32_t styleField(int16_t trace, Field field);
    template <class Change> void changeStyle(int16_t trace, Change change);
};
