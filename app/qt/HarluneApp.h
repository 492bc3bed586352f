#pragma once

#include "app/shell/SpectrometerConfiguration.h"
#include "app/shell/StartupSwitches.h"
#include "platform/framework/Application.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace app::automation {
class AutomationServer;
}
namespace platform::qt {
class ScopedUiServices;
}

class CErrorLog;
class DriverApi;
class DriverApiViewDriver;
class MainFrameViewFrame;
class MainFrameWidget;
class ProgramErrorLog;
class UnattendedUiServices;

// The program's application object: the start-up switches, the single instance, the document
// templates, the main frame and the first spectrum window; the idle hook that drives the
// acquisition round-robin; the window-opening operations and the version readers. GUI thread.
class CHarluneApp : public platform::framework::Application,
                    public SpectrometerConfigurationHost,
                    public StartupQuestions
{
public:
    // driver: the driver library the program calls (bound at its first call).
    explicit CHarluneApp(DriverApi& driver);
    ~CHarluneApp() override;

    static CHarluneApp* instance();

    // Spectrum windows get the spectrum view; tests of the shell alone may ask for the small
    // view that only counts scans instead. Set before InitInstance.
    static void useScanCountViews(bool use);

    // Start-up with the arguments after the program's name; false ends the program at once.
    bool InitInstance(const std::vector<std::string>& arguments);
    bool OnIdle(long count) override;

    void NewSpectrumWindow(const char* title = nullptr);
    void NewGridWindow(int columns, int rows, int sheets, const char* title);
    void NewGraphWindow(int traces, int points, const char* title);

    // About (57664): the About box, when VerifyCommand allows it.
    void OnAppAbout();

    std::string GetApplicationVersion() const;
    std::string GetDriverVersion() const;
    static void GetTypeLibraryVersion(uint16_t* major, uint16_t* minor);

    MainFrameWidget* mainFrameWidget() const { return m_mainFrame.get(); }
    // What the spectrum views borrow of the main frame (null before InitInstance).
    MainFrameViewFrame* viewFrame() const { return m_viewFrame.get(); }
    bool noHardware() const { return m_noHardware; }
    bool startsHidden() const { return m_hidden; }
    // The server of outside automation clients (null when it could not be set up).
    app::automation::AutomationServer* automationServer() const { return m_automationServer.get(); }
    // What ends the program once a start for automation has served its last client (the
    // entry point quits the event loop); without one the program only closes its main frame.
    void setEndHandler(std::function<void()> handler) { m_endHandler = std::move(handler); }
    const std::string& applicationPath() const { return m_applicationPath; }
    // The application path followed by "\\Harlune.chm".
    const std::string& helpFilePath() const { return m_helpFilePath; }
    // The folder the program's own file is in (where the help pages that come with it are).
    static std::string programFolder();
    // The program's error log (also the automation handlers' sink while the program runs).
    CErrorLog& errorLog();

    // SpectrometerConfigurationHost
    int manufacturingExtensionsEnabled() override { return m_manufacturingMode; }
    bool runsWithoutHardware() override { return m_noHardware; }
    bool viewHasWindow(uint32_t viewWindow) override;
    void setMainFrameUsbSerial(const std::string& serial) override;
    std::string applicationVersion() override { return GetApplicationVersion(); }
    std::string driverVersion() override { return GetDriverVersion(); }
    DriverApi& driver() override { return m_driver; }

    // StartupQuestions
    bool askYesNo(const std::string& text) override;
    void showMessage(const std::string& text) override;

    bool firstConfigurationUnattended() override;
    // True while the program is not under the user's control: started by an automation client
    // and its main window never shown. Nothing then waits on a box.
    bool unattended() const;
    // How long an unattended program waits for its first client before it ends (ms): 30 s,
    // or HARLUNE_UNATTENDED_IDLE_MS.
    static int unattendedIdleMs();

private:
    // False when the server could not start (the reason is in the diagnostic and error logs).
    bool startAutomationServer();
    // Installs the services that answer every box while nobody can.
    void beginUnattended();
    // An unattended program that no client reached ends by itself.
    void onUnattendedIdle();
    // A start for automation that no user took over ends once its last client has gone.
    void onAutomationClientsGone();

    DriverApi& m_driver;
    std::unique_ptr<ProgramErrorLog> m_errorLog;
    std::unique_ptr<MainFrameWidget> m_mainFrame;
    // What every spectrum view borrows; made with the main frame, gone after the last view.
    std::unique_ptr<MainFrameViewFrame> m_viewFrame;
    std::unique_ptr<DriverApiViewDriver> m_viewDriver;
    // The single-instance mutex, open for the life of the process (0: none).
    uint64_t m_instanceMutex = 0;
    bool m_noHardware = false;
    bool m_hidden = false;
    // Started by an automation client ("/Automation", "/Embedding"), not by the user.
    bool m_automationStart = false;
    bool m_engineFactoryRegistered = false;
    int m_manufacturingMode = 0;
    std::string m_applicationPath;
    std::string m_helpFilePath;
    std::function<void()> m_endHandler;
    // Installed for a start no user controls (or when an unattended program ends), until the
    // last window and view are gone.
    std::unique_ptr<UnattendedUiServices> m_unattendedUi;
    std::unique_ptr<platform::qt::ScopedUiServices> m_unattendedUiScope;
    std::unique_ptr<app::automation::AutomationServer> m_automationServer;
};
