#include "app/dialogs/MainFrameDialogAdapter.h"

#include "app/shell/MainFrame.h"
#include "app/shell/MainFramePreferences.h"

namespace app::dialogs {

int32_t MainFrameDialogAdapter::VerifyCommand(int32_t action)
{
    return m_mainFrame.VerifyCommand(action);
}

void MainFrameDialogAdapter::SetAcquisitionSuspended(int32_t state)
{
    m_mainFrame.SetAcquisitionSuspended(state);
}

void MainFrameDialogAdapter::SuspendAndStartNextScan()
{
    m_mainFrame.SuspendAndStartNextScan();
}

uint32_t MainFrameDialogAdapter::singleThread()
{
    return m_preferences.SingleThread;
}

void MainFrameDialogAdapter::setSingleThread(uint32_t singleThread)
{
    // The preference is saved when the frame goes; the frame's copy decides the next scan.
    m_preferences.SingleThread = singleThread;
    m_mainFrame.setSingleThread(singleThread);
}

} // namespace app::dialogs
