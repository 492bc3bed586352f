#pragma once

#include "app/dialogs/DataAcquisitionSettings.h"
#include "platform/framework/PropertySheet.h"

class QCheckBox;
class QComboBox;

// "External Trigger" (dialog 150): the trigger mode and autosave on trigger. Edits the
// sheet's working copy. GUI thread only.
class CDataAcquisitionPropertyPageTrigger : public platform::framework::PropertyPage
{
public:
    explicit CDataAcquisitionPropertyPageTrigger(app::dialogs::DataAcquisitionSettings& settings);

    bool OnInitDialog() override;

private:
    app::dialogs::DataAcquisitionSettings& m_settings;
    QComboBox* m_mode;
    QCheckBox* m_autosave;
    bool m_filling = false;
};
