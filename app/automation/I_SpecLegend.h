#pragma once

#include "app/automation/SpectrumChartObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.SpecLegend": the chart legend of the target spectrum window: shown, floating
// (either lays the plot area out again), its look, its font and the sixteen trace labels
// (stored, shown at the chart's next repaint). A trace outside 0 to 15 answers the zero
// result; a label is cut at 254 bytes and a face name at 255, never inside a character; a
// font height outside 1 to 400 or a border width outside 0 to 10 is ignored. GUI thread only.
class I_SpecLegend : public SpectrumChartObject
{
public:
    static I_SpecLegend* create() { return new I_SpecLegend(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetVisible();
    void SetVisible(bool value);
    bool GetFloating();
    void SetFloating(bool value);
    int16_t GetOrientation();
    void SetOrientation(int16_t value);
    int16_t GetBorder();
    void SetBorder(int16_t value);
    int16_t GetBorderWidth();
    void SetBorderWidth(int16_t value);
    int32_t GetBackgroundColor();
    void SetBackgroundColor(int32_t value);
    int32_t GetForegroundColor();
    void SetForegroundColor(int32_t value);
    std::string GetFontName();
    void SetFontName(const std::string& value);
    int16_t GetFontSize();
    void SetFontSize(int16_t value);
    bool GetShowOverlayFilename();
    void SetShowOverlayFilename(bool value);
    int16_t GetPosition();
    void SetPosition(int16_t value);
    std::string GetText(int16_t trace);
    void SetText(int16_t trace, const std::string& value);

private:
    I_SpecLegend() : SpectrumChartObject("I_SpecLegend") {}
    ~I_SpecLegend() override = default;
    static void layout(CHarluneSpectrumView& view);
    static void applyFont(CHarluneSpectrumView& view);
};
