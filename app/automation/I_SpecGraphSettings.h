#pragma once

#include "app/automation/SpectrumChartObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.SpecGraphSettings": the chart colours, background picture, axis font, y-axis label
// format and main title of the target spectrum window, and its picture on the clipboard or
// in a bitmap file. A file name longer than 259 bytes is refused; a face name is cut at 255
// bytes and a label format at 199, never inside a character; a font height outside 1 to 400
// is ignored. Redraw runs without the class's guard; CopyToClipboard answers FALSE for any
// failure without a log line. GUI thread only.
class I_SpecGraphSettings : public SpectrumChartObject
{
public:
    static I_SpecGraphSettings* create() { return new I_SpecGraphSettings(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    int32_t GetBackgroundColor();
    void SetBackgroundColor(int32_t value);
    int32_t GetForegroundColor();
    void SetForegroundColor(int32_t value);
    std::string GetBackgroundBitmapFilename();
    void SetBackgroundBitmapFilename(const std::string& value);
    bool GetBackgroundBitmapActive();
    void SetBackgroundBitmapActive(bool value);
    std::string GetAxisFontName();
    void SetAxisFontName(const std::string& value);
    int32_t GetAxisFontSize();
    void SetAxisFontSize(int32_t value);
    std::string GetYAxisLabelFormat();
    // "RESET" in any case gives the chart's own labels back.
    void SetYAxisLabelFormat(const std::string& value);
    std::string GetMainTitle();
    void SetMainTitle(const std::string& value);
    void Redraw();
    bool CopyToClipboard();
    // FALSE when the chart could not write the file.
    bool SaveAsBitmap(const std::string& fileName);

private:
    I_SpecGraphSettings() : SpectrumChartObject("I_SpecGraphSettings") {}
    ~I_SpecGraphSettings() override = default;
    void applyAxisFont(CHarluneSpectrumView& view);
};
