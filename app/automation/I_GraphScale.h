#pragma once

#include "app/automation/GraphAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.GraphScale": the axis limits of the target graph window, the axes fitted to the
// data, and the scale dialog. GUI thread only.
class I_GraphScale : public GraphAutomationObject
{
public:
    static I_GraphScale* create() { return new I_GraphScale(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    double GetXAxisMin();
    void SetXAxisMin(double value);
    double GetXAxisMax();
    void SetXAxisMax(double value);
    double GetYAxisMin();
    void SetYAxisMin(double value);
    double GetYAxisMax();
    void SetYAxisMax(double value);
    bool AutoscaleX();
    bool AutoscaleY();
    void ShowScaleDialog();

private:
    I_GraphScale() : GraphAutomationObject("I_GraphScale") {}
    ~I_GraphScale() override = default;
};
