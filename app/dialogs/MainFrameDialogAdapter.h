#pragma once

#include "app/dialogs/DialogNeighbours.h"

class CMainFrame;

namespace app::dialogs {

// The main frame as the dialogs see it: CMainFrame and its preference record. GUI thread.
class MainFrameDialogAdapter : public DialogMainFrame
{
public:
    MainFrameDialogAdapter(CMainFrame& mainFrame, MainFramePreferences& preferences)
        : m_mainFrame(mainFrame), m_preferences(preferences)
    {}

    int32_t VerifyCommand(int32_t action) override;
    void SetAcquisitionSuspended(int32_t state) override;
    void SuspendAndStartNextScan() override;
    uint32_t singleThread() override;
    void setSingleThread(uint32_t singleThread) override;
    MainFramePreferences& preferenceRecord() override { return m_preferences; }

private:
    CMainFrame& m_mainFrame;
    MainFramePreferences& m_preferences;
};

} // namespace app::dialogs
