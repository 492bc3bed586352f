#pragma once

#include "app/dialogs/SpectrometerSheetSettings.h"
#include "platform/framework/PropertySheet.h"

class QCheckBox;
class SpectrometerChannelSelector;
class SpectrometerNumberEdit;

// "Stray Light Correction" (dialog 123): per channel the correction's enable and constant.
// Edits the sheet's working copy. GUI thread only.
class CSpectrometerPropertyPageStrayLight : public platform::framework::PropertyPage
{
public:
    explicit CSpectrometerPropertyPageStrayLight(app::dialogs::SpectrometerSheetSettings& settings);

    bool OnInitDialog() override;

private:
    void showChannel(int channel);

    app::dialogs::SpectrometerSheetSettings& m_settings;
    int m_channel = 0;
    QCheckBox* m_enabled;
    SpectrometerNumberEdit* m_constant;
    SpectrometerChannelSelector* m_channels;
};
