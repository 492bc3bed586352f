#pragma once

#include "app/automation/SpectrumSettingsObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.SpecSpectrumToolbars": the target spectrum window's tool bars and dialog bars,
// shown and hidden at once, its custom view mode's fields (stored only) and the Quintar bar's
// text label. GUI thread only.
class I_SpecSpectrumToolbars : public SpectrumSettingsObject
{
public:
    // The custom view mode's title is kept in a 100-byte field.
    static constexpr std::size_t kMaxTitleBytes = 99;

    static I_SpecSpectrumToolbars* create() { return new I_SpecSpectrumToolbars(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetSpectrumControls() { return barVisible(SpectrumFrameBars::kSpectrumControls); }
    void SetSpectrumControls(bool v) { showBar(SpectrumFrameBars::kSpectrumControls, v); }
    bool GetCursorControls() { return barVisible(SpectrumFrameBars::kCursorControls); }
    void SetCursorControls(bool v) { showBar(SpectrumFrameBars::kCursorControls, v); }
    bool GetGraphScale() { return barVisible(SpectrumFrameBars::kGraphScale); }
    void SetGraphScale(bool v) { showBar(SpectrumFrameBars::kGraphScale, v); }
    bool GetSpectralViewMode() { return barVisible(SpectrumFrameBars::kSpectralViewMode); }
    void SetSpectralViewMode(bool v) { showBar(SpectrumFrameBars::kSpectralViewMode, v); }
    bool GetTimeAcquisition() { return barVisible(SpectrumFrameBars::kTimeAcquisition); }
    void SetTimeAcquisition(bool v) { showBar(SpectrumFrameBars::kTimeAcquisition, v); }
    bool GetAcquisitionParameters()
    {
        return barVisible(SpectrumFrameBars::kAcquisitionParameters);
    }
    void SetAcquisitionParameters(bool v) { showBar(SpectrumFrameBars::kAcquisitionParameters, v); }
    bool GetUSBMavrin() { return barVisible(SpectrumFrameBars::kUsbMavrin); }
    void SetUSBMavrin(bool v) { showBar(SpectrumFrameBars::kUsbMavrin, v); }
    bool GetCustomViewModeEnabled();
    void SetCustomViewModeEnabled(bool value);
    double GetCustomViewModeYMax();
    void SetCustomViewModeYMax(double value);
    double GetCustomViewModeYMin();
    void SetCustomViewModeYMin(double value);
    std::string GetCustomViewModeTitle();
    void SetCustomViewModeTitle(const std::string& title);
    std::string GetCustomViewModeFileExtension();
    void SetCustomViewModeFileExtension(const std::string& extension);
    bool GetUSBNorrel() { return barVisible(SpectrumFrameBars::kUsbNorrel); }
    void SetUSBNorrel(bool v) { showBar(SpectrumFrameBars::kUsbNorrel, v); }
    bool GetQuintar() { return barVisible(SpectrumFrameBars::kQuintar); }
    void SetQuintar(bool v) { showBar(SpectrumFrameBars::kQuintar, v); }
    // The cooler bar, "Wessor/Ulmar Controls".
    bool GetXandel() { return barVisible(SpectrumFrameBars::kWessorUlmar); }
    void SetXandel(bool v) { showBar(SpectrumFrameBars::kWessorUlmar, v); }
    std::string GetQuintarTextFontName();
    void SetQuintarTextFontName(const std::string& face);
    int32_t GetQuintarTextFontSize();
    void SetQuintarTextFontSize(int32_t height);
    int32_t GetQuintarTextColor();
    void SetQuintarTextColor(int32_t color);
    int32_t GetQuintarTextBackgroundColor();
    void SetQuintarTextBackgroundColor(int32_t color);
    std::string GetQuintarTextText();
    void SetQuintarTextText(const std::string& text);

private:
    I_SpecSpectrumToolbars() : SpectrumSettingsObject("I_SpecSpectrumToolbars") {}
    ~I_SpecSpectrumToolbars() override = default;

    bool barVisible(unsigned id, std::source_location where = std::source_location::current());
    void showBar(unsigned id, bool show,
                 std::source_location where = std::source_location::current());
};
