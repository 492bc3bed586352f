#pragma once

#include "app/shell/MainFrame.h"
#include "app/shell/MainFramePreferences.h"
#include "app/shell/MainFrameWindow.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "platform/framework/MdiFrame.h"

#include <functional>
#include <memory>

class DriverApi;

// The program's main window: the MDI frame that shows CMainFrame. It answers the core's
// questions about the child frames (by window handle, so a closed frame is never touched),
// shows its status text, runs its timers and hands the close to it. GUI thread only.
class MainFrameWidget : public platform::framework::MdiFrame,
                        public MainFrameWindow,
                        public SpectrumDocFrame
{
public:
    MainFrameWidget(DriverApi& driver, uint32_t instanceKey);
    // Writes the preferences back.
    ~MainFrameWidget() override;

    CMainFrame& core() { return *m_core; }
    const MainFramePreferences& allPreferences() const { return m_preferences; }
    // Reads the preferences and the window placement (at creation).
    void readSettings();
    int openSpectrumDocuments() const { return m_openSpectrumDocuments; }

    // MainFrameWindow
    std::vector<uint32_t> childWindows() override;
    ChildKind childKind(uint32_t frame) override;
    SpectrumScanView* activeSpectrumView(uint32_t frame) override;
    std::string windowTitle(uint32_t frame) override;
    SpectrumScanView* activeView() override;
    bool isWindow(uint32_t window) override;
    void setStatusText(const std::string& text) override;
    void idleUpdate() override;
    void wakeIdle() override;
    void sendSpectrumCommand(uintptr_t code, intptr_t argument) override;
    void setTimer(unsigned id, unsigned elapseMs) override;
    void killTimer(unsigned id) override;
    void postClose() override;
    void fireTimerTick(int16_t timerId) override;
    void fireUserMenu(int32_t commandId) override;

    // SpectrumDocFrame
    SpectrumPreferences& preferences() override { return m_preferences.spectrum; }
    int addOpenSpectrumDocuments(int delta) override;
    void StartNextScan() override { m_core->StartNextScan(); }

    void OnTimer(unsigned id) override;
    intptr_t OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                             bool& handled) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    platform::framework::ChildFrame* frameOf(uint32_t handle) const;
    // The main menu's commands of the frame.
    void installCommands();

    std::unique_ptr<CMainFrame> m_core;
    MainFramePreferences m_preferences;
    int m_openSpectrumDocuments = 0;
};
