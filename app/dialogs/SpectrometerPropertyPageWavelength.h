#pragma once

#include "app/dialogs/SpectrometerSheetSettings.h"
#include "platform/framework/PropertySheet.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class SpectrometerChannelSelector;
class SpectrometerNumberEdit;

// "Wavelength Calibration" (dialog 122): the spectrometer's serial number and, per channel,
// the enable and the four wavelength coefficients; "Write to BrontelUSB" for that converter.
// Edits the sheet's working copy. GUI thread only.
class CSpectrometerPropertyPageWavelength : public platform::framework::PropertyPage
{
public:
    CSpectrometerPropertyPageWavelength(app::dialogs::SpectrometerSheetSettings& settings,
                                        app::dialogs::DialogDriver& driver);

    bool OnInitDialog() override;
    int currentChannel() const { return m_channel; }

private:
    void showChannel(int channel);
    void changed() { SetModified(true); }

    app::dialogs::SpectrometerSheetSettings& m_settings;
    app::dialogs::DialogDriver& m_driver;
    // The A/D type as the sheet was opened with.
    uint16_t m_adcType;
    int m_channel = 0;
    bool m_filling = false;
    QLineEdit* m_serial;
    QCheckBox* m_enabled;
    SpectrometerNumberEdit* m_first;
    SpectrometerNumberEdit* m_second;
    SpectrometerNumberEdit* m_third;
    SpectrometerNumberEdit* m_intercept;
    QPushButton* m_writeToBrontel;
    SpectrometerChannelSelector* m_channels;
};
