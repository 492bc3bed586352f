#pragma once

#include "app/dialogs/DataAcquisitionSettings.h"
#include "platform/framework/PropertySheet.h"

class QCheckBox;
class QLineEdit;

// "Strobe" (dialog 151): strobe enable, the delay between flashes and the USB-Mavrin
// modulation. Edits the sheet's working copy. GUI thread only.
class CDataAcquisitionPropertyPageStrobe : public platform::framework::PropertyPage
{
public:
    explicit CDataAcquisitionPropertyPageStrobe(app::dialogs::DataAcquisitionSettings& settings);

    bool OnInitDialog() override;

private:
    app::dialogs::DataAcquisitionSettings& m_settings;
    QCheckBox* m_strobe;
    QLineEdit* m_delay;
    QCheckBox* m_modulation;
    bool m_filling = false;
};
