#pragma once

#include "app/dialogs/DataAcquisitionSettings.h"
#include "platform/framework/PropertySheet.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// "Basic" (dialog 149): integration time or A/D conversion frequency, averages, boxcar,
// electrical-dark correction, channel rotation, single-threaded acquisition and the
// microsecond switch. Edits the sheet's working copy. GUI thread only.
class CDataAcquisitionPropertyPageBasic : public platform::framework::PropertyPage
{
public:
    explicit CDataAcquisitionPropertyPageBasic(app::dialogs::DataAcquisitionSettings& settings);

    bool OnInitDialog() override;

private:
    // Shows the integration box and its label for the unit in force.
    void showIntegration();
    void changed() { SetModified(true); }

    app::dialogs::DataAcquisitionSettings& m_settings;
    QLabel* m_integrationLabel;
    QLineEdit* m_integration;
    QLineEdit* m_averages;
    QLineEdit* m_boxcar;
    QCheckBox* m_correctDark;
    QLabel* m_rotationLabel;
    QComboBox* m_rotation;
    QCheckBox* m_singleThread;
    QCheckBox* m_plusMode;
    QCheckBox* m_microseconds;
    // Set while the page fills its controls: those changes are not the user's.
    bool m_filling = false;
};
