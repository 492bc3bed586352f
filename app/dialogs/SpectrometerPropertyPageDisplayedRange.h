#pragma once

#include "app/dialogs/SpectrometerSheetSettings.h"
#include "platform/framework/PropertySheet.h"

class QCheckBox;
class QLabel;
class SpectrometerNumberEdit;

// "Displayed Range" (dialog 125): each channel's calibrated range and the displayed range
// typed for it, editable while "&Limit Displayed Wavelength Range" is on. Edits the sheet's
// working copy. GUI thread only.
class CSpectrometerPropertyPageDisplayedRange : public platform::framework::PropertyPage
{
public:
    explicit CSpectrometerPropertyPageDisplayedRange(
        app::dialogs::SpectrometerSheetSettings& settings);

    bool OnInitDialog() override;

private:
    void enableEdits();

    app::dialogs::SpectrometerSheetSettings& m_settings;
    QCheckBox* m_limited;
    QLabel* m_first[8];
    QLabel* m_last[8];
    SpectrometerNumberEdit* m_start[8];
    SpectrometerNumberEdit* m_end[8];
};
