#pragma once

#include "app/automation/AutomationFrame.h"
#include "app/automation/SaxBasicHost.h"
#include "app/automation/SaxBasicObjFrame.h"
#include "app/shell/MainFrame.h"
#include "app/shell/MainFramePreferences.h"
#include "app/shell/MainFrameWindow.h"
#include "app/shell/RecentFileList.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "platform/framework/MdiFrame.h"
#include "toolkit/widgets/COXMenuOrganizer.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class COXCoolToolBar;
class DriverApi;
class QLabel;

// The program's main window: the MDI frame that shows CMainFrame. It answers the core's
// questions about the child frames (by window handle, so a closed frame is never touched),
// shows its status text, runs its timers and hands the close to it. GUI thread only.
//
// It is also the window the automation objects drive (AutomationFrame): it registers the
// program's automation classes and stands as their main frame while it lives.
class MainFrameWidget : public platform::framework::MdiFrame,
                        public MainFrameWindow,
                        public SpectrumDocFrame,
                        public AutomationFrame,
                        public ScriptUi
{
public:
    using ChildKind = MainFrameWindow::ChildKind;
    using HMENU = platform::framework::HMENU;

    // When the program's automation classes join the class registry: as the frame is made, or
    // with completeCreate (the program's start, which paints the frame first).
    enum class AutomationClasses
    {
        WithFrame,
        WithCompleteCreate
    };

    MainFrameWidget(DriverApi& driver, uint32_t instanceKey,
                    AutomationClasses classes = AutomationClasses::WithFrame);
    // Writes the preferences back.
    ~MainFrameWidget() override;

    CMainFrame& core() override { return *m_core; }
    // The window's creation, what its first picture needs: status bar, placement, tool bars
    // and menu organiser, and the preferences.
    void OnCreate();
    // The rest of the creation, which the first picture does not need (it comes after the first
    // paint of a frame shown at once): the automation classes when they wait for it, the script
    // engine, set up and told of the frame's creation, and the first driver calls, which load
    // the driver library.
    void completeCreate();
    // Registers the program's automation classes, once.
    void registerAutomationClasses();
    // The frame's control bar of an id (16000 General, 16001 Tundra, 16002 Global, 212 the
    // hidden bar), or null.
    COXCoolToolBar* controlBar(unsigned id) const;
    // The status bar's panes after the first: halted, snapshot, no hardware.
    QString statusPaneText(int pane) const;
    void updateStatusPanes();
    RecentFileList& recentScripts() { return m_recentScripts; }
    // Shows the recent scripts in the "Recent Scripts" menu of the frame's menu and of every
    // template's menu (the placeholder "Recent Scripts" while the list is empty).
    void refreshRecentScriptMenus();
    // Where the frame's script events go (the event generator once scripting joins the
    // program): TimerTick and UserMenu. Unset, they go nowhere.
    void setScriptEvents(std::function<void(int16_t)> timerTick,
                         std::function<void(int32_t)> userMenu);
    // Creates the script engine (when a class is registered under the engine's class id) and
    // sets it up for the frame; the frame's script events go to its event generator.
    void setUpScripting();
    // The script object (always there; without an engine it answers neutrally).
    CSaxBasicObj& scriptObject() { return *m_script; }
    // The engine's editor window, owned by the frame (the engine factory hands it over).
    void adoptScriptEditor(QWidget* editor);
    QWidget* scriptEditor() const { return m_scriptEditor; }
    bool ideCreated() const { return m_ideCreated; }
    // Open and Execute Script after its question and dialog (also the recent scripts): opens
    // once no macro is on the stack (retried by timer).
    void openScriptWhenIdle(const std::string& path);
    // The auto-run step of a new spectrum window: when AutoRun is enabled, no script has been
    // opened yet and a file is chosen ("XXX": none), opens it ("Encrypted": enciphered) once
    // no macro is on the stack.
    void openAutoRunScript();
    // The end of the session (the session manager's commit request): false refuses it.
    bool queryEndSession();

    // ScriptUi
    bool messageBox(const std::string& text, const std::string& caption, Box box) override;
    void doEvents() override;
    void focusMainFrame() override;
    void addRecentScript(const std::string& path) override;
    int32_t mainWindowHandle() override;
    bool focusWithin(int32_t window) override;
    bool takeStopKey() override;

    const COXMenuOrganizer& menuOrganizer() const { return m_menuOrganizer; }
    const MainFramePreferences& allPreferences() const { return m_preferences; }
    MainFramePreferences& allPreferences() { return m_preferences; }
    // Reads the preferences and the window placement (at creation). Only preferences that were
    // read are written back when the frame goes.
    void readSettings();
    MainFramePreferences& preferencesForEdit() { return m_preferences; }

    // Help: the contents, the index, or the topic of a context id (WinHelp).
    void OnHelpContents();
    void OnHelpIndex();
    void WinHelp(uint32_t contextId);
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

    // AutomationFrame (the child questions and the timers above answer it too)
    uint32_t activeChildFrame() override;
    bool hasActiveView(uint32_t frame) override;
    std::optional<SpectrumIdentity> spectrumIdentity(uint32_t frame) override;
    CHarluneSpectrumView* spectrumView(uint32_t frame) override;
    CHarluneGridView* gridView(uint32_t frame) override;
    CHarluneGraphView* graphView(uint32_t frame) override;
    void setFrameTitle(uint32_t frame, const std::string& title) override;
    void destroyFrame(uint32_t frame) override;
    void cascadeEnabledChildren() override;
    void tileChildren(bool horizontal) override;
    std::optional<bool> controlBarVisible(unsigned id) override;
    void showControlBar(unsigned id, bool show) override;
    SpectrumFrameBars* spectrumFrameBars(uint32_t frame) override;
    MainFramePreferences* mainPreferences() override { return &m_preferences; }
    void newSpectrumWindow(const std::string& title) override;
    void newGridWindow(int columns, int rows, int sheets, const std::string& title) override;
    void newGraphWindow(int traces, int points, const std::string& title) override;
    std::string applicationVersion() override;
    std::string driverVersion() override;
    HMENU templateMenu(ChildKind kind) override;
    void setTemplateMenu(ChildKind kind, HMENU menu) override;
    HMENU loadMenu(unsigned resourceId) override;
    void updateFrameMenu(uint32_t frame, HMENU menu) override;
    void drawMenuBar() override;
    std::vector<HMENU> menusInUse() override;
    int drawChartToClipboard(platform::chart::XrtHandle chart, int format) override;
    int drawChartToFile(platform::chart::XrtHandle chart, const std::string& path,
                        int format) override;

    // SpectrumDocFrame
    SpectrumPreferences& preferences() override { return m_preferences.spectrum; }
    int addOpenSpectrumDocuments(int delta) override;
    void StartNextScan() override { m_core->StartNextScan(); }

    void OnTimer(unsigned id) override;
    intptr_t OnWindowMessage(unsigned message, uintptr_t wParam, intptr_t lParam,
                             bool& handled) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A menu's or a button's prompt shows while the pointer is on it; then the frame's own
    // text comes back.
    bool event(QEvent* event) override;
    // Pop-up menu 227: the main and the spectrum window's tool bars.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    platform::framework::ChildFrame* frameOf(uint32_t handle) const;
    // The main menu's commands of the frame.
    void installCommands();
    void createStatusBar();
    void createToolBars();
    void saveToolBars();

    std::unique_ptr<CMainFrame> m_core;
    MainFramePreferences m_preferences;
    bool m_settingsRead = false;
    bool m_automationClassesRegistered = false;
    QPointer<COXCoolToolBar> m_generalBar;
    QPointer<COXCoolToolBar> m_tundraBar;
    QPointer<COXCoolToolBar> m_globalBar;
    QPointer<COXCoolToolBar> m_hiddenBar;
    COXMenuOrganizer m_menuOrganizer;
    RecentFileList m_recentScripts{"RecentScripts", "script", 6, 100};
    QLabel* m_statusPanes[3] = {};
    std::function<void(int16_t)> m_timerTick;
    std::function<void(int32_t)> m_userMenu;
    int m_openSpectrumDocuments = 0;
    // Declared last: the engine goes first when the frame is destroyed.
    std::unique_ptr<CSaxBasicObj> m_script;
    CSaxBasicObjFrame m_scriptFrame{m_script.get(), *this};
    QMetaObject::Connection m_focusConnection;
    QMetaObject::Connection m_sessionConnection;
    QPointer<QWidget> m_scriptEditor;
    bool m_ideCreated = false;
    // A script to open once no macro is on the stack, and how.
    enum class PendingOpen
    {
        Command,
        AutoRunPlain,
        AutoRunEnciphered,
    };
    std::string m_pendingScript;
    PendingOpen m_pendingOpen = PendingOpen::Command;
    void openPendingScript();
    // Key presses held back while the statement hook looked for the stop key.
    bool filterStopKey(QObject* receiver, QEvent* event);
    bool m_lookingForStopKey = false;
    // The status bar's message when no prompt shows: "Ready", or the last scan's text.
    QString m_statusText = QStringLiteral("Ready");
    bool m_stopKeySeen = false;
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> m_heldKeys;
    void installScriptCommands();
    void readScriptSettings();
    void saveScriptSettings();
    void showIde();
    // A script open waits on this timer while a macro is on the stack (the close waits on
    // CSaxBasicObjFrame's).
    static constexpr unsigned kScriptOpenTimer = 2;
    // Messages of the program's queue that a script's DoEvents dispatches at most.
    static constexpr int kDoEventsMessages = 100;
    void openScriptNow(const std::string& path);
};
