#pragma once

#include "app/automation/SpectrumChartObject.h"
#include "platform/automation/DispatchTable.h"

#include <string>

// "Harlune.SpecDataDisplay": four display switches of the target spectrum window, which the
// puts only store (no reprocessing, replot or retitling), and the chart's two axis titles.
// GUI thread only.
class I_SpecDataDisplay : public SpectrumChartObject
{
public:
    static I_SpecDataDisplay* create() { return new I_SpecDataDisplay(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetTimeNormalized();
    void SetTimeNormalized(bool value);
    bool GetVerticalScaleLog();
    void SetVerticalScaleLog(bool value);
    bool GetSnapshotMode();
    void SetSnapshotMode(bool value);
    bool GetSuspendGraphUpdate();
    void SetSuspendGraphUpdate(bool value);
    std::string GetXAxisTitle();
    void SetXAxisTitle(const std::string& value);
    std::string GetYAxisTitle();
    void SetYAxisTitle(const std::string& value);

private:
    I_SpecDataDisplay() : SpectrumChartObject("I_SpecDataDisplay") {}
    ~I_SpecDataDisplay() override = default;
    std::string title(int id);
    void setTitle(int id, const std::string& value);
};
