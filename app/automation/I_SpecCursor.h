#pragma once

#include "app/automation/SpectrumChartObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.SpecCursor": the cursor of the target spectrum window. The style, precision,
// limit, pixel and trace puts only store (the window uses them at its next cursor update);
// Enabled shows or hides the cursor at once and the command members run the window's cursor
// commands, with the script's approval as from the menu. A pixel outside the spectrometer's
// pixels, a trace outside 0 to 7, a precision outside 0 to 10 or a line width outside 0 to 10
// is ignored. GUI thread only.
class I_SpecCursor : public SpectrumChartObject
{
public:
    static I_SpecCursor* create() { return new I_SpecCursor(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    int16_t GetLinePattern();
    void SetLinePattern(int16_t value);
    int16_t GetLineWidth();
    void SetLineWidth(int16_t value);
    int32_t GetLineColor();
    void SetLineColor(int32_t value);
    int16_t GetPrecision();
    void SetPrecision(int16_t value);
    bool GetLimitToDisplay();
    void SetLimitToDisplay(bool value);
    int16_t GetPixel();
    void SetPixel(int16_t value);
    int16_t GetActiveTrace();
    void SetActiveTrace(int16_t value);
    bool GetEnabled();
    void SetEnabled(bool value);

    // The channel's displayed value at the cursor: at the cursor pixel for the cursor's own
    // trace, else at the channel's pixel for the cursor's wavelength.
    double GetIntensity(int16_t channel);
    // The slot's value at the cursor's wavelength (within its first 2048 points).
    double GetOverlayIntensity(int16_t slot);
    double GetWavelength();
    std::string GetCursorText();
    void ShowConfigurationDialog();
    void LittleLeft();
    void LittleRight();
    void BigLeft();
    void BigRight();
    void PeakLeft();
    void PeakRight();

private:
    I_SpecCursor() : SpectrumChartObject("I_SpecCursor") {}
    ~I_SpecCursor() override = default;
    void command(unsigned id);
};
