#pragma once

#include "app/dialogs/SpectrometerSheetSettings.h"
#include "platform/framework/PropertySheet.h"

class QComboBox;
class SpectrometerNumberEdit;

// "Reference Monitoring" (dialog 126): one row per channel with its reference channel and
// type, the single-point wavelength and the integrated band. Edits the sheet's working copy.
// GUI thread only.
class CSpectrometerPropertyPageReference : public platform::framework::PropertyPage
{
public:
    explicit CSpectrometerPropertyPageReference(app::dialogs::SpectrometerSheetSettings& settings);

    bool OnInitDialog() override;

private:
    // The wavelength box is for Single-point, the band boxes for Integrated Intensity.
    void enableRow(int channel);

    app::dialogs::SpectrometerSheetSettings& m_settings;
    bool m_filling = false;
    QComboBox* m_channel[8];
    QComboBox* m_type[8];
    SpectrometerNumberEdit* m_wavelength[8];
    SpectrometerNumberEdit* m_bandStart[8];
    SpectrometerNumberEdit* m_bandEnd[8];
};
