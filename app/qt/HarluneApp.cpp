#include "app/qt/HarluneApp.h"

#include "app/automation/AutomationSocketPolicy.h"
#include "app/automation/qt/AutomationServer.h"
#include "app/qt/ChildFrames.h"
#include "app/qt/MainFrameWidget.h"
#include "app/qt/ScanCountView.h"
#include "app/qt/UnattendedUiServices.h"
#include "app/res/HarluneResources.h"
#include "app/res/MenuVerify.h"
#include "app/res/ResourceIds.h"
#include "app/shell/DriverApi.h"
#include "app/shell/ErrorLog.h"
#include "app/shell/INIFileSupport.h"
#include "app/shell/VersionText.h"
#include "app/shell/qt/AboutDlg.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/qt/ShellSpectrumServices.h"
#include "app/spectrum/qt/SpectrumDocQuestions.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "app/windows/qt/GraphViewWidget.h"
#include "app/windows/qt/GridViewWidget.h"
#include "app/windows/qt/TemplateViewWidget.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/EventTarget.h"
#include "platform/automation/HandlerGuard.h"
#include "platform/automation/Registration.h"
#include "platform/basic/BasicEngine.h"
#include "platform/basic/ide/BasicEditorWindow.h"
#include "platform/framework/CommandIds.h"
#include "platform/framework/DocTemplate.h"
#include "platform/framework/Document.h"
#include "platform/framework/Resources.h"
#include "platform/framework/View.h"
#include "platform/qt/BackingStorePrefault.h"
#include "platform/qt/UiServices.h"
#include "platform/win/AppProfile.h"
#include "platform/win/Log.h"
#include "platform/win/Messages.h"
#include "platform/win/Registry.h"
#include "platform/win/System.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <unistd.h>

using namespace platform::framework;
namespace win = platform::win;

namespace {

constexpr const char* kModule = "app";
constexpr const char* kMutexName = "HarlunePreventSecondInstance";

CHarluneApp* g_instance = nullptr;
bool g_scanCountViews = false;

// The framework document of a spectrum window around the program's spectrum document.
// Its questions are asked over its first view, or over the main window before it has one.
class SpectrumDocument : public Document
{
public:
    explicit SpectrumDocument(SpectrumDocFrame& frame)
        : m_questions([this]() -> QWidget* {
              const auto& views = this->views();
              return views.empty() ? nullptr : views.front();
          }),
          m_document(std::make_unique<CHarluneSpectrumDoc>(frame, m_questions))
    {}
    bool OnNewDocument() override
    {
        if (!Document::OnNewDocument())
            return false;
        m_document->OnNewDocument();
        return true;
    }
    CHarluneSpectrumDoc& spectrum() { return *m_document; }

private:
    SpectrumDocQuestions m_questions;
    std::unique_ptr<CHarluneSpectrumDoc> m_document;
};

std::string readApplicationPath()
{
    CINIFileSupport settings(nullptr, 1);
    std::string path = settings.GetStringDefault("ApplicationPath", "ApplicationPath", "");
    if (path.empty()) {
        std::error_code error;
        path = std::filesystem::current_path(error).string();
        if (path.size() > 259)
            path.resize(259);
        settings.WriteString("ApplicationPath", "ApplicationPath", path.c_str());
    }
    return path;
}

// The file of the program itself.
std::string programModulePath()
{
    char path[4096] = {};
    if (win::GetModuleFileName(nullptr, path, sizeof(path) - 1) == 0)
        return {};
    return path;
}

} // namespace

std::string CHarluneApp::programFolder()
{
    return std::filesystem::path(programModulePath()).parent_path().string();
}

namespace {

// Registers the type library alone (the "TypeLib" keys of the server's registration), as every
// start does; values already current are not written again.
long registerTypeLibrary(const std::string& modulePath)
{
    namespace automation = platform::automation;
    automation::RegistrationTable library;
    for (automation::RegistryValue& value : automation::registrationTable(modulePath).values)
        if (value.keyPath.rfind("TypeLib\\", 0) == 0)
            library.values.push_back(std::move(value));
    win::RegistryBatch batch(win::HKEY_CLASSES_ROOT);
    automation::ClassesRootHive hive;
    const long status = automation::writeRegistration(library, hive);
    const long committed = batch.isOpen() ? batch.commit() : 0;
    return status != 0 ? status : committed;
}

// Lets the main frame, just shown, paint before the start goes on with the work its picture
// does not need (the script engine, the driver library, the registration, the automation server,
// the first spectrum window): waits, within a bound, for the window system to expose it, which
// paints it. User input waits for the event loop, as it did.
void paintShownMainFrame(QWidget& frame)
{
    constexpr int kFramePaintBoundMs = 250;
    QWindow* window = frame.windowHandle();
    if (!window)
        return;
    if (window->isExposed()) {
        frame.repaint();
        return;
    }
    class ExposeWatch : public QObject
    {
    public:
        explicit ExposeWatch(QEventLoop& loop) : m_loop(loop) {}

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            // Quit ends the loop once this event, which paints the frame, is handled.
            if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed())
                m_loop.quit();
            return false;
        }

    private:
        QEventLoop& m_loop;
    };
    QEventLoop loop;
    ExposeWatch watch(loop);
    window->installEventFilter(&watch);
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    bound.start(kFramePaintBoundMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    window->removeEventFilter(&watch);
}

bool serverRegistered()
{
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(win::HKEY_CLASSES_ROOT, "Harlune.Document", 0, win::KEY_READ, &key) != 0)
        return false;
    win::RegCloseKey(key);
    return true;
}

} // namespace

// The error log as the program runs it: its boxes are the program's message boxes, its
// versions the program's and the driver library's; it is also the sink of the automation
// handlers' exceptions. GUI thread only.
class ProgramErrorLog : public ErrorLogEnvironment, public platform::automation::ErrorLogSink
{
public:
    explicit ProgramErrorLog(CHarluneApp& app) : m_app(app), m_log(*this) {}
    ~ProgramErrorLog()
    {
        if (platform::automation::errorLogSink() == this)
            platform::automation::setErrorLogSink(nullptr);
    }

    CErrorLog& log() { return m_log; }

    bool askYesNo(const std::string& text) override
    {
        // Nobody could answer: the line in the file is the record, and boxes stay on for
        // when the user takes over.
        if (m_app.unattended())
            return true;
        return win::MessageBox(0, text.c_str(), "Harlune", win::MB_YESNO) == win::IDYES;
    }
    std::string applicationVersion() override { return m_app.GetApplicationVersion(); }
    std::string driverVersion() override { return m_app.GetDriverVersion(); }
    std::tm localTime() override
    {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return local;
    }
    void logException(const char* description, const char* sourceName, int line) override
    {
        m_log.LogException(description, sourceName, line);
    }
    void logMessage(const std::string& text) override { m_log.LogMessage(text); }

private:
    CHarluneApp& m_app;
    CErrorLog m_log;
};

CHarluneSpectrumDoc* spectrumDocumentOf(Document* document)
{
    auto* spectrum = dynamic_cast<SpectrumDocument*>(document);
    return spectrum ? &spectrum->spectrum() : nullptr;
}

CHarluneApp::CHarluneApp(DriverApi& driver)
    : m_driver(driver), m_errorLog(std::make_unique<ProgramErrorLog>(*this))
{
    g_instance = this;
    m_applicationPath = readApplicationPath();
    m_helpFilePath = m_applicationPath + "\\Harlune.chm";
    // The CSV list separator is read once, as the user's locale values are.
    loadGridListSeparator();
    onCommand(platform::framework::ID_APP_ABOUT, [this] {
        try {
            OnAppAbout();
        } catch (const std::exception&) {
            m_errorLog->log().LogException(nullptr, "HarluneApp", __LINE__);
        }
    });
}

CErrorLog& CHarluneApp::errorLog()
{
    return m_errorLog->log();
}

CHarluneApp::~CHarluneApp()
{
    // The windows still open write their settings as they go: each hive once at the end.
    const win::RegistryBatch machineSettings(win::HKEY_LOCAL_MACHINE);
    const win::RegistryBatch userSettings(win::HKEY_CURRENT_USER);
    // Clients' objects are released while the main frame they act on still exists.
    m_automationServer.reset();
    // The engine factory names this application's main frame.
    if (m_engineFactoryRegistered)
        platform::automation::ClassRegistry::instance().registerOutsideClass(
            platform::basic::BasicEngine::engineClsid(), nullptr);
    // Documents go before the main frame they report to, and the views before what they
    // borrow.
    CloseAllDocuments();
    if (m_mainFrame) {
        // Windows still open are destroyed while the main frame's core and the view services
        // they use are alive (as children of the main frame they would go after its core).
        std::vector<QPointer<ChildFrame>> children;
        for (ChildFrame* child : m_mainFrame->findChildren<ChildFrame*>())
            children.emplace_back(child);
        for (const QPointer<ChildFrame>& child : children)
            delete child.data();
    }
    m_viewFrame.reset();
    m_viewDriver.reset();
    setMainFrame(nullptr);
    m_mainFrame.reset();
    if (m_instanceMutex)
        win::CloseHandle(static_cast<win::HMUTEX>(m_instanceMutex));
    g_instance = nullptr;
}

void CHarluneApp::useScanCountViews(bool use)
{
    g_scanCountViews = use;
}

CHarluneApp* CHarluneApp::instance()
{
    return g_instance;
}

bool CHarluneApp::InitInstance(const std::vector<std::string>& arguments)
{
    const StartupSwitch startupSwitch = parseStartupSwitch(joinCommandLine(arguments));
    if (runCleanSwitch(startupSwitch, "reglist.dat", *this) == CleanOutcome::Exit)
        return false;

    // One instance: a second start ends silently and leaves the first alone.
    win::HMUTEX mutex = win::CreateMutex(nullptr, 1, kMutexName);
    if (!mutex)
        return false;
    if (win::GetLastError() == win::ERROR_ALREADY_EXISTS) {
        win::CloseHandle(mutex);
        return false;
    }
    win::ReleaseMutex(mutex);
    m_instanceMutex = static_cast<uint64_t>(mutex);
    platform::automation::setErrorLogSink(m_errorLog.get());
    // Started by a client, not by the user: from here on nothing waits on a box.
    m_automationStart = startedForAutomation(arguments);
    if (m_automationStart)
        beginUnattended();

    // The application's profile: frames, bars and lists keep their entries under this key.
    platform::win::app_profile::setRegistryKey("Software\\Varnholt Software\\Harlune Toolbars");

    // The menus, accelerators, tool bars and prompts, before the templates load their menus.
    Resources& resources = Resources::instance();
    resources.addMenus(app::res::menus());
    resources.addAccelerators(app::res::accelerators());
    resources.addToolBars(app::res::toolBars());
    resources.addPrompts(app::res::prompts());
    resources.addStrings(app::res::strings());

    const auto instanceKey = static_cast<uint32_t>(getpid());
    m_mainFrame = std::make_unique<MainFrameWidget>(
        m_driver, instanceKey, MainFrameWidget::AutomationClasses::WithCompleteCreate);
    MainFrameWidget& frame = *m_mainFrame;
    m_viewFrame =
        std::make_unique<MainFrameViewFrame>(frame.core(), frame, &frame.allPreferences());
    // The script engine: made by its class id, with its editor window owned by the main frame.
    // A class registered before (a test's fake engine, or one that makes none) stays.
    if (!platform::automation::ClassRegistry::instance().hasOutsideClass(
            platform::basic::BasicEngine::engineClsid())) {
        m_engineFactoryRegistered = true;
        platform::automation::ClassRegistry::instance().registerOutsideClass(
            platform::basic::BasicEngine::engineClsid(), [&frame] {
                platform::automation::DispatchPtr engine = platform::basic::BasicEngine::create();
                auto* editor = new platform::basic::ide::BasicEditorWindow(
                    static_cast<platform::basic::BasicEngine&>(*engine), &frame);
                editor->setWindowFlag(Qt::Window);
                frame.adoptScriptEditor(editor);
                return engine;
            });
    }
    {
        using platform::automation::CEventGenerator;
        using platform::automation::Variant;
        CSaxBasicObj& script = frame.scriptObject();
        m_viewFrame->setScriptEvents(
            [&script](const std::string& window, int16_t channels) {
                script.fire(CEventGenerator::NewSpectraReady, {Variant(window), Variant(channels)});
            },
            [&script](const std::string& window, double stamp) {
                script.fire(CEventGenerator::TimeAcquisition, {Variant(window), Variant(stamp)});
            },
            [&script](const std::string& window) {
                script.fire(CEventGenerator::SpectrometerConfigChanged, {Variant(window)});
            },
            [&script](int32_t key, int32_t flags, const std::string& window) {
                if (CEventGenerator* generator = script.eventGenerator();
                    generator && script.hasEngine())
                    generator->FireKeystroke(key, flags, window);
            });
        m_viewFrame->setAutoRunScript([&frame] { frame.openAutoRunScript(); });
    }
    m_viewDriver = std::make_unique<DriverApiViewDriver>(m_driver);

    AddDocTemplate(std::make_unique<DocTemplate>(
        129, "Spectrum", [&frame] { return std::make_unique<SpectrumDocument>(frame); },
        [] { return new CChildFrameSpectrum(); },
        [this, &frame]() -> View* {
            if (!g_scanCountViews)
                return new SpectrumViewWidget(
                    SpectrumViewServices{*m_viewFrame, *m_viewDriver, *this}, spectrumDocumentOf);
            CINIFileSupport settings(nullptr, 1);
            std::string file = settings.GetStringDefault("Preferences", "DefaultSpectrometer", "");
            if (file.empty())
                file = m_applicationPath + "/Default.spec";
            return new ScanCountView(m_driver, frame.core(), *this, file);
        }));
    AddDocTemplate(std::make_unique<DocTemplate>(
        130, "Template", [] { return std::make_unique<CVYKTemplateDoc>(); },
        [] { return new CVYKTemplateChildFrame(); }, [] { return new TemplateViewWidget(); }));
    AddDocTemplate(std::make_unique<DocTemplate>(
        131, "Grid", [] { return std::make_unique<CHarluneGridDoc>(); },
        [] { return new CChildGridFrame(); },
        [&frame] {
            return new GridViewWidget(
                [&frame](int menuVerify) { return frame.core().VerifyCommand(menuVerify); },
                [&frame](int context) { frame.WinHelp(static_cast<uint32_t>(context)); });
        }));
    AddDocTemplate(std::make_unique<DocTemplate>(
        210, "Graph", [] { return std::make_unique<CHarluneGraphDoc>(); },
        [] { return new CChildGraphFrame(); },
        [&frame] {
            return new GraphViewWidget(
                [&frame](int menuVerify) { return frame.core().VerifyCommand(menuVerify); });
        }));

    const std::string modulePath = programModulePath();
    if (startupSwitch == StartupSwitch::RegisterOnly) {
        frame.registerAutomationClasses();
        frame.setUpScripting();
        const long result = platform::automation::registerServer(modulePath);
        if (result != 0) {
            const std::string text = "Harlune could not register its automation server (error " +
                                     std::to_string(result) + ").";
            win::MessageBox(0, text.c_str(), "Harlune", win::MB_OK | win::MB_ICONERROR);
        }
        return false;
    }

    setMainFrame(&frame);
    frame.core().setErrorLog(&m_errorLog->log());
    frame.setDefaultMenu(resources.LoadMenu(app::res::IDR_MAINFRAME));
    frame.installAccelerators(resources.accelerators(app::res::IDR_MAINFRAME));
    frame.refreshRecentScriptMenus();
    frame.resize(1024, 700);
    // Known before the frame is made, so its status bar shows them from its first paint.
    m_noHardware = startupSwitch == StartupSwitch::NoHardware;
    m_hidden = startupSwitch == StartupSwitch::Hidden || m_automationStart;
    frame.OnCreate();
    m_manufacturingMode = static_cast<int>(frame.allPreferences().ManufacturingExtensionsEnabled);

    // The frame is shown and painted as soon as it is whole, before the work its first picture
    // does not need: the script engine, the driver library, the registration, the automation
    // server and the first spectrum window.
    if (!m_hidden) {
        platform::qt::BackingStorePrefault prefault(frame);
        frame.show();
        paintShownMainFrame(frame);
    }
    frame.completeCreate();
    // A server registered before is refreshed; the type library is registered at every start.
    if (serverRegistered())
        platform::automation::registerServer(modulePath);
    registerTypeLibrary(modulePath);
    // A file named on the command line is not opened: one new spectrum window opens instead.
    // The server before the first window, so that the client that started the program is
    // served whatever that window does; a program started for a client that cannot serve it
    // has nothing to do.
    if (!startAutomationServer() && m_automationStart)
        return false;
    NewSpectrumWindow();
    if (m_automationStart && m_automationServer)
        QTimer::singleShot(unattendedIdleMs(), m_mainFrame.get(),
                           [this] { onAutomationClientsGone(); });
    return true;
}

void CHarluneApp::beginUnattended()
{
    if (m_unattendedUi)
        return;
    m_unattendedUi = std::make_unique<UnattendedUiServices>(
        platform::qt::uiServices(),
        [this](const std::string& text) { errorLog().LogMessage(text); },
        [this] { return !unattended(); });
    m_unattendedUiScope = std::make_unique<platform::qt::ScopedUiServices>(*m_unattendedUi);
}

bool CHarluneApp::unattended() const
{
    return m_automationStart && !(m_mainFrame && m_mainFrame->isVisible());
}

int CHarluneApp::unattendedIdleMs()
{
    constexpr long kDefaultMs = 30000;
    const char* text = std::getenv("HARLUNE_UNATTENDED_IDLE_MS");
    if (!text || !*text)
        return kDefaultMs;
    char* end = nullptr;
    const long ms = std::strtol(text, &end, 10);
    if (*end != '\0' || ms < 1 || ms > 3600L * 1000)
        return kDefaultMs;
    return static_cast<int>(ms);
}

bool CHarluneApp::firstConfigurationUnattended()
{
    if (!unattended())
        return false;
    if (!m_noHardware) {
        m_noHardware = true;
        errorLog().LogMessage("No default spectrometer configuration has been chosen yet: the "
                              "program started for an automation client runs without hardware.");
    }
    return true;
}

bool CHarluneApp::startAutomationServer()
{
    m_automationServer = std::make_unique<app::automation::AutomationServer>(
        platform::automation::ClassRegistry::instance(),
        [this]() -> platform::automation::CEventGenerator* {
            return m_mainFrame ? m_mainFrame->scriptObject().eventGenerator() : nullptr;
        },
        [this](const std::string& text) { errorLog().LogMessage(text); });
    if (!m_automationServer->listen(app::automation::automationSocketPath())) {
        if (m_automationStart)
            errorLog().LogMessage("The automation server could not start (" +
                                  m_automationServer->failure() +
                                  "): the program started for an automation client ends.");
        m_automationServer.reset();
        return false;
    }
    m_automationServer->setClientsGoneHandler([this] {
        // From the event loop: the connection that went may still be on the stack.
        QTimer::singleShot(0, m_mainFrame.get(), [this] { onAutomationClientsGone(); });
    });
    return true;
}

void CHarluneApp::onAutomationClientsGone()
{
    // A program the user can see is the user's: it stays when a client leaves.
    if (!m_automationStart || !m_mainFrame || m_mainFrame->isVisible() || !m_automationServer ||
        m_automationServer->connectionCount() != 0)
        return;
    win::logInfo(kModule, "no automation client is left: ending the hidden program");
    // Nobody could answer a question now, nor while the windows are taken down after the loop.
    beginUnattended();
    // The frame's close shuts the script engine down, as a start not under the user's control
    // asks.
    if (m_mainFrame->close() && m_endHandler)
        m_endHandler();
}

bool CHarluneApp::OnIdle(long count)
{
    if (!m_mainFrame)
        return false;
    try {
        CMainFrame& core = m_mainFrame->core();
        const bool wasPending = core.scanPending();
        const bool more = core.onIdle(m_mainFrame->openSpectrumDocuments());
        // Once after each burst of events the bars' command states and the status panes are
        // refreshed; a scan start has just done so (a halted program starts none).
        const bool started = !wasPending && core.scanPending();
        if (count == 0 && !started)
            m_mainFrame->idleUpdate();
        return more;
    } catch (const std::exception& error) {
        win::logError(kModule, "idle: %s", error.what());
        return false;
    }
}

void CHarluneApp::NewSpectrumWindow(const char* title)
{
    if (!m_mainFrame || !m_mainFrame->core().VerifyCommand(app::res::mvFileNewSpectrumWindow))
        return;
    try {
        Document* document = docTemplate(129)->OpenDocumentFile("", true);
        if (document && title)
            document->SetTitle(title);
    } catch (const std::exception&) {
        m_errorLog->log().LogException(nullptr, "HarluneApp", __LINE__);
    }
}

void CHarluneApp::NewGridWindow(int columns, int rows, int sheets, const char* title)
{
    if (!m_mainFrame || !m_mainFrame->core().VerifyCommand(app::res::mvFileNewGridWindow))
        return;
    Document* document = docTemplate(131)->OpenDocumentFile("", true);
    if (!document)
        return;
    for (View* view : document->views())
        if (auto* grid = dynamic_cast<GridViewWidget*>(view))
            grid->core().InitGrid(columns, rows, sheets, nullptr);
    if (title)
        document->SetTitle(title);
}

void CHarluneApp::NewGraphWindow(int traces, int points, const char* title)
{
    if (!m_mainFrame || !m_mainFrame->core().VerifyCommand(app::res::mvFileNewGraphWindow))
        return;
    Document* document = docTemplate(210)->OpenDocumentFile("", true);
    if (!document)
        return;
    for (View* view : document->views())
        if (auto* graph = dynamic_cast<GraphViewWidget*>(view))
            graph->core().InitGraph(traces, points);
    if (title)
        document->SetTitle(title);
}

std::string CHarluneApp::GetApplicationVersion() const
{
    return readFileVersion(programModulePath(), "040904b0");
}

std::string CHarluneApp::GetDriverVersion() const
{
    // Only a loaded driver library has a version to show; before, the text stays empty.
    return readFileVersion(m_driver.moduleFileName(), "040904e4");
}

void CHarluneApp::OnAppAbout()
{
    if (!m_mainFrame || !m_mainFrame->core().VerifyCommand(app::res::mvHelpAboutHarlune))
        return;
    CAboutDlg dialog(GetApplicationVersion(), GetDriverVersion(), m_mainFrame.get());
    dialog.exec();
}

void CHarluneApp::GetTypeLibraryVersion(uint16_t* major, uint16_t* minor)
{
    if (major)
        *major = 1;
    if (minor)
        *minor = 5;
}

bool CHarluneApp::viewHasWindow(uint32_t viewWindow)
{
    return viewWindow != 0 && win::IsWindow(viewWindow);
}

void CHarluneApp::setMainFrameUsbSerial(const std::string& serial)
{
    if (m_mainFrame)
        m_mainFrame->core().setCurrentUsbSerial(serial);
}

bool CHarluneApp::askYesNo(const std::string& text)
{
    return win::MessageBox(0, text.c_str(), "Harlune", win::MB_YESNO | win::MB_ICONQUESTION) ==
           win::IDYES;
}

void CHarluneApp::showMessage(const std::string& text)
{
    win::MessageBox(0, text.c_str(), "Harlune", win::MB_OK);
}
