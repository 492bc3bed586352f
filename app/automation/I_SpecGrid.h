#pragma once

#include "app/automation/SpectrumChartObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>

// "Harlune.SpecGrid": the chart grid's switch, colour and line pattern of the target spectrum
// window, stored only (the window applies them with its grid commands and settings), and its
// Configure Grid command. GUI thread only.
class I_SpecGrid : public SpectrumChartObject
{
public:
    static I_SpecGrid* create() { return new I_SpecGrid(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetEnabled();
    void SetEnabled(bool value);
    int32_t GetLineColor();
    void SetLineColor(int32_t value);
    int16_t GetLineStyle();
    void SetLineStyle(int16_t value);
    void ShowConfigurationDialog();

private:
    I_SpecGrid() : SpectrumChartObject("I_SpecGrid") {}
    ~I_SpecGrid() override = default;
};
