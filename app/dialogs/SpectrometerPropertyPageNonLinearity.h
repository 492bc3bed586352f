#pragma once

#include "app/dialogs/SpectrometerSheetSettings.h"
#include "platform/framework/PropertySheet.h"

class QCheckBox;
class SpectrometerChannelSelector;
class SpectrometerNumberEdit;

// "Detector Linearity" (dialog 124): per channel the correction's enable and its eight
// coefficients. Edits the sheet's working copy. GUI thread only.
class CSpectrometerPropertyPageNonLinearity : public platform::framework::PropertyPage
{
public:
    explicit CSpectrometerPropertyPageNonLinearity(
        app::dialogs::SpectrometerSheetSettings& settings);

    bool OnInitDialog() override;

private:
    void showChannel(int channel);

    app::dialogs::SpectrometerSheetSettings& m_settings;
    int m_channel = 0;
    QCheckBox* m_enabled;
    SpectrometerNumberEdit* m_coefficients[8];
    SpectrometerChannelSelector* m_channels;
};
