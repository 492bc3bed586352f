#pragma once

#include "app/dialogs/DataAcquisitionPropertyPageBasic.h"
#include "app/dialogs/DataAcquisitionPropertyPageStrobe.h"
#include "app/dialogs/DataAcquisitionPropertyPageTrigger.h"
#include "app/dialogs/DataAcquisitionSettings.h"
#include "platform/framework/PropertySheet.h"

// "Configure Data Acquisition": the acquisition settings of one spectrum window on three
// pages. The constructor loads the working copy from the view; OK and Apply check the typed
// values against their fields' ranges (a refused value keeps the sheet open on its page and
// writes nothing) and run the apply steps into the view, its main frame and its
// configuration; Cancel writes nothing. GUI thread only.
class CDataAcquisitionPropertySheet : public platform::framework::PropertySheet
{
public:
    CDataAcquisitionPropertySheet(app::dialogs::DialogSpectrumView& view, QWidget* parent);

    void OnApplySteps() override;

    const app::dialogs::DataAcquisitionSettings& settings() const { return m_settings; }
    // Whether the mode in force (at opening, then after each apply) is "Long Int. Time Mode".
    bool openedInLongIntMode() const { return m_openedInLongIntMode; }

private:
    app::dialogs::DialogSpectrumView& m_view;
    app::dialogs::DataAcquisitionSettings m_settings;
    bool m_openedInLongIntMode;
    CDataAcquisitionPropertyPageBasic m_basic;
    CDataAcquisitionPropertyPageTrigger m_trigger;
    CDataAcquisitionPropertyPageStrobe m_strobe;
};
