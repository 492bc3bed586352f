#include "app/dialogs/SpectrumViewDialogAdapter.h"

#include "app/spectrum/HarluneSpectrumView.h"

namespace app::dialogs {

SpectrumViewDialogAdapter::SpectrumViewDialogAdapter(CHarluneSpectrumView& view,
                                                     DialogMainFrame& mainFrame)
    : m_view(view), m_mainFrame(mainFrame), m_configuration(view.configuration())
{}

RegistrationRecord& SpectrumViewDialogAdapter::record()
{
    return m_view.record();
}

int SpectrumViewDialogAdapter::autosaveOnExternalTrigger()
{
    return m_view.autosaveOnExternalTrigger();
}

void SpectrumViewDialogAdapter::setAutosaveOnExternalTrigger(int value)
{
    m_view.setAutosaveOnExternalTrigger(value);
}

int SpectrumViewDialogAdapter::strobeEnable()
{
    return m_view.strobeEnable();
}

void SpectrumViewDialogAdapter::setStrobeEnable(int value)
{
    m_view.setStrobeEnable(value);
}

int SpectrumViewDialogAdapter::mavrinModulation()
{
    return m_view.mavrinModulation();
}

void SpectrumViewDialogAdapter::setMavrinModulation(int value)
{
    m_view.setMavrinModulation(value);
}

int SpectrumViewDialogAdapter::snapshotState()
{
    return m_view.snapshotState();
}

void SpectrumViewDialogAdapter::setSnapshotState(int state)
{
    m_view.setSnapshotState(state);
}

void SpectrumViewDialogAdapter::UpdateAcquisitionBar()
{
    m_view.UpdateAcquisitionBar();
}

} // namespace app::dialogs
