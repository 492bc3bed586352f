#include "app/qt/HarluneApp.h"

#include "app/qt/ChildFrames.h"
#include "app/qt/MainFrameWidget.h"
#include "app/qt/ScanCountView.h"
#include "app/res/MenuVerify.h"
#include "app/shell/DriverApi.h"
#include "app/shell/INIFileSupport.h"
#include "app/spectrum/HarluneSpectrumDoc.h"
#include "app/spectrum/qt/ShellSpectrumServices.h"
#include "app/spectrum/qt/SpectrumViewWidget.h"
#include "platform/framework/DocTemplate.h"
#include "platform/framework/Document.h"
#include "platform/framework/View.h"
#include "platform/win/Log.h"
#include "platform/win/Messages.h"
#include "platform/win/System.h"

#include <QPointer>

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
class SpectrumDocument : public Document
{
public:
    explicit SpectrumDocument(SpectrumDocFrame& frame)
        : m_document(std::make_unique<CHarluneSpectrumDoc>(frame))
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
    std::unique_ptr<CHarluneSpectrumDoc> m_document;
};

// Grid and graph windows until their own issues land: empty documents and views.
class PlaceholderDocument : public Document
{};

class PlaceholderView : public View
{};

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

} // namespace

CHarluneSpectrumDoc* spectrumDocumentOf(Document* document)
{
    auto* spectrum = dynamic_cast<SpectrumDocument*>(document);
    return spectrum ? &spectrum->spectrum() : nullptr;
}

CHarluneApp::CHarluneApp(DriverApi& driver) : m_driver(driver)
{
    g_instance = this;
    m_applicationPath = readApplicationPath();
    m_helpFilePath = m_applicationPath + "\\Harlune.chm";
}

CHarluneApp::~CHarluneApp()
{
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

    const auto instanceKey = static_cast<uint32_t>(getpid());
    m_mainFrame = std::make_unique<MainFrameWidget>(m_driver, instanceKey);
    MainFrameWidget& frame = *m_mainFrame;
    m_viewFrame = std::make_unique<MainFrameViewFrame>(frame.core(), frame);
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
        131, "Grid", [] { return std::make_unique<PlaceholderDocument>(); },
        [] { return new CChildGridFrame(); }, [] { return new PlaceholderView(); }));
    AddDocTemplate(std::make_unique<DocTemplate>(
        210, "Graph", [] { return std::make_unique<PlaceholderDocument>(); },
        [] { return new CChildGraphFrame(); }, [] { return new PlaceholderView(); }));

    if (startupSwitch == StartupSwitch::RegisterOnly)
        // The automation classes register themselves when they join the program.
        return false;

    setMainFrame(&frame);
    frame.resize(1024, 700);
    frame.core().initDriverCache();
    frame.readSettings();
    m_manufacturingMode = static_cast<int>(frame.allPreferences().ManufacturingExtensionsEnabled);

    m_noHardware = startupSwitch == StartupSwitch::NoHardware;
    m_hidden = startupSwitch == StartupSwitch::Hidden;
    // A file named on the command line is not opened: one new spectrum window opens instead.
    if (!m_hidden)
        frame.show();
    NewSpectrumWindow();
    return true;
}

bool CHarluneApp::OnIdle(long)
{
    if (!m_mainFrame)
        return false;
    try {
        return m_mainFrame->core().onIdle(m_mainFrame->openSpectrumDocuments());
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
    } catch (const std::exception& error) {
        win::logError(kModule, "new spectrum window: %s", error.what());
    }
}

void CHarluneApp::NewGridWindow(int, int, int, const char* title)
{
    if (!m_mainFrame || !m_mainFrame->core().VerifyCommand(app::res::mvFileNewGridWindow))
        return;
    Document* document = docTemplate(131)->OpenDocumentFile("", true);
    if (document && title)
        document->SetTitle(title);
}

void CHarluneApp::NewGraphWindow(int, int, const char* title)
{
    if (!m_mainFrame || !m_mainFrame->core().VerifyCommand(app::res::mvFileNewGraphWindow))
        return;
    Document* document = docTemplate(210)->OpenDocumentFile("", true);
    if (document && title)
        document->SetTitle(title);
}

std::string CHarluneApp::GetApplicationVersion() const
{
    char path[4096] = {};
    if (win::GetModuleFileName(0, path, sizeof(path) - 1) == 0)
        return {};
    PWIN_DWORD handle = 0;
    const PWIN_DWORD size = win::GetFileVersionInfoSize(path, &handle);
    if (size == 0)
        return {};
    std::vector<char> data(size);
    if (!win::GetFileVersionInfo(path, handle, size, data.data()))
        return {};
    void* text = nullptr;
    PWIN_UINT length = 0;
    if (!win::VerQueryValue(data.data(), "\\StringFileInfo\\040904b0\\FileVersion", &text,
                            &length) ||
        !text)
        return {};
    return std::string(static_cast<const char*>(text));
}

std::string CHarluneApp::GetDriverVersion() const
{
    // Read by the About box once the driver's module path is known to the program.
    return {};
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
