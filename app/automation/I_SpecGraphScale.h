#pragma once

#include "app/automation/SpectrumChartObject.h"
#include "platform/automation/DispatchTable.h"

// "Harlune.SpecGraphScale": the chart's axis limits of the target spectrum window (each put
// sets both properties of its pair; NaN and infinities are refused) and the steps of the
// window's pan and zoom commands in percent (stored only). GUI thread only.
class I_SpecGraphScale : public SpectrumChartObject
{
public:
    static I_SpecGraphScale* create() { return new I_SpecGraphScale(); }
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
    double GetPercentPan();
    void SetPercentPan(double value);
    double GetPercentZoom();
    void SetPercentZoom(double value);
    // The window's Set Scale command.
    void ShowConfigurationDialog();

private:
    I_SpecGraphScale() : SpectrumChartObject("I_SpecGraphScale") {}
    ~I_SpecGraphScale() override = default;
    double limit(int id);
    void setLimit(int first, int second, double value);
};
