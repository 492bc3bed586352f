#pragma once

#include "app/dialogs/ConfigurationDialogAdapter.h"
#include "app/dialogs/DialogNeighbours.h"

class CHarluneSpectrumView;

namespace app::dialogs {

// A spectrum view as the dialogs see it, with its configuration and the main frame it
// belongs to. GUI thread.
class SpectrumViewDialogAdapter : public DialogSpectrumView
{
public:
    SpectrumViewDialogAdapter(CHarluneSpectrumView& view, DialogMainFrame& mainFrame);

    RegistrationRecord& record() override;
    int autosaveOnExternalTrigger() override;
    void setAutosaveOnExternalTrigger(int value) override;
    int strobeEnable() override;
    void setStrobeEnable(int value) override;
    int mavrinModulation() override;
    void setMavrinModulation(int value) override;
    int snapshotState() override;
    void setSnapshotState(int state) override;
    void UpdateAcquisitionBar() override;
    DialogConfiguration& configuration() override { return m_configuration; }
    DialogMainFrame& mainFrame() override { return m_mainFrame; }

private:
    CHarluneSpectrumView& m_view;
    DialogMainFrame& m_mainFrame;
    ConfigurationDialogAdapter m_configuration;
};

} // namespace app::dialogs
