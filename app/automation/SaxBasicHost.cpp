#include "app/automation/SaxBasicHost.h"

#include "app/automation/I_CINIFileSupport.h"
#include "app/shell/INIFileSupport.h"
#include "platform/basic/BasicEngine.h"
#include "platform/win/Log.h"
#include "toolkit/crypt/COXCryptFile.h"
#include "toolkit/crypt/FileException.h"
#include "toolkit/crypt/ScriptKey.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <glob.h>
#include <memory>

namespace automation = platform::automation;
using automation::DispatchPtr;
using automation::DISPID;
using automation::HRESULT;
using automation::Variant;
using platform::basic::BasicEngine;

// ---- CSaxBasicEventSink ----

namespace {

// Events of the engine's interface that this host answers without a handler of its own.
enum : DISPID
{
    kEventHelp = 4,
    kEventCloseSheet = 16,
    kEventGetMacroName = 17,
    kEventReadMacro = 18,
    kEventWriteMacro = 19,
    kEventNewInstance = 24,
    kEventParseProperties = 25,
    kEventEnterDesignMode = 32,
    kEventLeaveDesignMode = 33,
};

} // namespace

CSaxBasicEventSink::CSaxBasicEventSink(CSaxBasicDriver& driver)
    : AutomationObject(nullptr, AppLock::None), m_driver(&driver)
{}

HRESULT CSaxBasicEventSink::Invoke(DISPID dispid, uint16_t, std::span<Variant> args, Variant*,
                                   automation::DispatchError*)
{
    CSaxBasicDriver* driver = m_driver;
    if (!driver) {
        return automation::S_OK;
    }
    const auto text = [&](size_t i) {
        return i < args.size() ? args[i].value().toBstr().value : std::string();
    };
    const auto answer = [&](size_t i, const Variant& v) {
        if (i < args.size() && args[i].isByRef()) {
            args[i].assign(v);
        }
    };
    switch (dispid) {
    case BasicEngine::EventDebugPrint:
        driver->OnDebugPrint(text(0));
        break;
    case BasicEngine::EventDoEvents:
        driver->OnDoEvents();
        break;
    case BasicEngine::EventErrorAlert:
        driver->OnErrorAlert();
        break;
    case BasicEngine::EventMacroBegin:
        driver->OnMacroBegin(text(0));
        break;
    case BasicEngine::EventMacroEnd:
        driver->OnMacroEnd(text(0));
        break;
    case BasicEngine::EventOverrideMenuCommand: {
        const auto id = args.empty() ? automation::Coerced<int16_t>{} : args[0].value().toI2();
        if (id) {
            answer(1, Variant(driver->OnOverrideMenuCommand(id.value)));
        }
        break;
    }
    case BasicEngine::EventOverrideModalWindowOwner:
        answer(0, Variant(driver->OnOverrideModalWindowOwner()));
        break;
    case BasicEngine::EventModalDialog:
        driver->OnModalDialog(!args.empty() && args[0].value().toBool().value);
        break;
    case BasicEngine::EventWindowHandle:
        answer(0, Variant(driver->OnWindowHandle()));
        break;
    case BasicEngine::EventCloseWindow:
        // The host hid the editor: the engine keeps its window (FALSE); otherwise it closes it.
        answer(0, Variant(!driver->OnCloseWindow()));
        break;
    case BasicEngine::EventModalIdeDialog:
        driver->OnModalIdeDialog(!args.empty() && args[0].value().toBool().value);
        break;
    // The events the host has no handler for, with the engine's fixed answers.
    case kEventHelp:
        answer(1, Variant(true));
        break;
    case kEventCloseSheet:
        answer(1, Variant(int16_t{1}));
        break;
    case kEventGetMacroName:
        answer(2, Variant(int16_t{1}));
        break;
    case kEventReadMacro:
        // No macro text comes from the host.
        answer(1, Variant(std::string()));
        answer(2, Variant(int16_t{1}));
        break;
    case kEventWriteMacro:
        answer(2, Variant(int16_t{0}));
        break;
    case kEventNewInstance:
        answer(1, Variant(DispatchPtr()));
        break;
    case kEventParseProperties:
        answer(2, Variant(false));
        break;
    case kEventEnterDesignMode:
        answer(0, Variant(false));
        break;
    case kEventLeaveDesignMode:
        answer(0, Variant(true));
        break;
    default:
        break;
    }
    return automation::S_OK;
}

// ---- CSaxBasicFunction ----

bool CSaxBasicFunction::IsDefined() const
{
    if (!m_function) {
        return false;
    }
    Variant result;
    if (m_function->Invoke(0, automation::DISPATCH_PROPERTYGET, {}, &result, nullptr) !=
        automation::S_OK) {
        return false;
    }
    return result.toBool().value;
}

bool CSaxBasicFunction::Call(std::vector<Variant> args, Variant& result) const
{
    if (!m_function) {
        return false;
    }
    return m_function->Invoke(2, automation::DISPATCH_METHOD, args, &result, nullptr) ==
           automation::S_OK;
}

// ---- CSaxBasicDriver ----

CSaxBasicDriver::CSaxBasicDriver(automation::ClassRegistry& registry) : m_registry(registry) {}

CSaxBasicDriver::~CSaxBasicDriver()
{
    disconnect();
}

bool CSaxBasicDriver::CreateEngine()
{
    if (m_engine) {
        return true;
    }
    DispatchPtr engine;
    if (m_registry.CreateInstance(BasicEngine::engineClsid(), engine) != automation::S_OK ||
        !engine) {
        return false;
    }
    m_engine = engine;
    auto* target = dynamic_cast<automation::CEventTarget*>(m_engine.get());
    automation::ConnectionPoint* point = nullptr;
    if (target &&
        target->FindConnectionPoint(BasicEngine::engineEventsIid(), &point) == automation::S_OK &&
        point) {
        m_sink = DispatchPtr::adopt(new CSaxBasicEventSink(*this));
        if (point->Advise(m_sink.get(), &m_cookie) != automation::S_OK) {
            m_cookie = 0;
        }
    }
    return true;
}

void CSaxBasicDriver::disconnect()
{
    if (m_sink) {
        static_cast<CSaxBasicEventSink*>(m_sink.get())->detach();
    }
    if (m_engine && m_cookie) {
        if (auto* target = dynamic_cast<automation::CEventTarget*>(m_engine.get())) {
            target->connectionPoint().Unadvise(m_cookie);
        }
    }
    m_cookie = 0;
    m_verifyMenu = CSaxBasicFunction();
    m_sink.reset();
    m_engine.reset();
}

Variant CSaxBasicDriver::GetProperty(DISPID id) const
{
    Variant result;
    if (m_engine) {
        const DispatchPtr engine = m_engine;
        if (engine->Invoke(id, automation::DISPATCH_PROPERTYGET, {}, &result, nullptr) !=
            automation::S_OK) {
            return Variant();
        }
    }
    return result;
}

bool CSaxBasicDriver::GetBoolProperty(DISPID id) const
{
    return GetProperty(id).toBool().value;
}

int32_t CSaxBasicDriver::GetLongProperty(DISPID id) const
{
    return GetProperty(id).toI4().value;
}

std::string CSaxBasicDriver::GetStringProperty(DISPID id) const
{
    return GetProperty(id).toBstr().value;
}

bool CSaxBasicDriver::PutProperty(DISPID id, const Variant& value)
{
    if (!m_engine) {
        return false;
    }
    const DispatchPtr engine = m_engine;
    std::vector<Variant> args{value};
    return engine->Invoke(id, automation::DISPATCH_PROPERTYPUT, args, nullptr, nullptr) ==
           automation::S_OK;
}

Variant CSaxBasicDriver::InvokeMethod(DISPID id, std::vector<Variant> args)
{
    Variant result;
    if (m_engine) {
        const DispatchPtr engine = m_engine;
        if (engine->Invoke(id, automation::DISPATCH_METHOD, args, &result, nullptr) !=
            automation::S_OK) {
            return Variant();
        }
    }
    return result;
}

bool CSaxBasicDriver::ExecuteCommand(int16_t command)
{
    return InvokeMethod(28, {Variant(command)}).toBool().value;
}

int16_t CSaxBasicDriver::GetMacroState() const
{
    if (!m_engine) {
        return 0;
    }
    Variant result;
    const DispatchPtr engine = m_engine;
    if (engine->Invoke(43, automation::DISPATCH_METHOD, {}, &result, nullptr) != automation::S_OK) {
        return 0;
    }
    return result.toI2().value;
}

bool CSaxBasicDriver::CloseEngine(bool release)
{
    if (!m_engine) {
        return true;
    }
    const bool closed = InvokeMethod(39).toBool().value;
    if (closed && release) {
        disconnect();
    }
    return closed;
}

void CSaxBasicDriver::ShutDownEngine(CSaxBasicDriver* driver)
{
    if (!driver || !driver->m_engine) {
        return;
    }
    driver->PutProperty(20, Variant(false));
    if (!driver->CloseEngine(true)) {
        // A macro still on the stack keeps the engine alive through its own reference; the
        // host lets it go without listening any more.
        driver->disconnect();
    }
}

CSaxBasicFunction CSaxBasicDriver::DeclareFunction(const std::string& declaration)
{
    return CSaxBasicFunction(InvokeMethod(38, {Variant(declaration)}).toDispatch().value);
}

bool CSaxBasicDriver::definesVerifyMenu()
{
    if (!m_engine) {
        return false;
    }
    if (!m_verifyMenu) {
        m_verifyMenu = DeclareFunction("Function VerifyMenu(ByVal id As Long) As Long");
    }
    return m_verifyMenu.IsDefined();
}

std::optional<int32_t> CSaxBasicDriver::callVerifyMenu(int32_t id)
{
    Variant result;
    if (!m_verifyMenu.Call({Variant(id)}, result)) {
        // The engine reported the failure through ErrorAlert: allowed, reported once.
        return 1;
    }
    if (result.isEmpty()) {
        return std::nullopt;
    }
    return result.toI4().value;
}

void CSaxBasicDriver::ReportException(const std::string& what)
{
    platform::win::logError("script", "%s", what.c_str());
}

// ---- CSaxBasicObj ----

namespace {

constexpr const char* kIdeSection = "Scripting\\BasicIDE";

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

} // namespace

CSaxBasicObj::CSaxBasicObj(automation::ClassRegistry& registry, ScriptUi& ui)
    : CSaxBasicDriver(registry), m_ui(ui)
{}

CSaxBasicObj::~CSaxBasicObj()
{
    m_alive.reset();
    OnFrameClose();
}

bool CSaxBasicObj::CreateEngine()
{
    if (!CSaxBasicDriver::CreateEngine()) {
        return false;
    }
    // An extension: its members are global to scripts.
    InvokeMethod(24, {Variant("{}"), Variant(NewINIFileSupportDispatch())});
    PutProperty(-518, Variant(std::string(kCaption)));
    PutProperty(36, Variant(true));
    definesVerifyMenu();
    if (!m_generatorRef) {
        m_generator = new automation::CEventGenerator;
        m_generatorRef = DispatchPtr::adopt(m_generator);
    }
    InvokeMethod(65, {Variant("EventGenerator"), Variant(m_generatorRef)});
    // A macro looping without DoEvents holds the GUI thread: no command can stop it, so the
    // engine asks every so many statements whether the stop key was pressed.
    if (auto* basic = dynamic_cast<BasicEngine*>(engine().get())) {
        // The engine may outlive this object (a macro on the stack holds it): the hook then
        // finds the token gone and does nothing.
        basic->setStatementHook(
            [this, basic, alive = std::weak_ptr<int>(m_alive)] {
                if (alive.lock() && m_ui.takeStopKey())
                    basic->requestStop();
            },
            kStopKeyStatements);
    }
    return true;
}

void CSaxBasicObj::OnFrameCreate()
{
    if (!hasEngine()) {
        return;
    }
    InvokeMethod96();
    PutProperty(94, Variant(false));
    LoadClassModules();
}

void CSaxBasicObj::OnFrameClose()
{
    if (!hasEngine()) {
        return;
    }
    InvokeMethod(48, {Variant("EventGenerator")});
    InvokeMethod(48, {Variant("{}")});
    CloseEngine(true);
}

void CSaxBasicObj::fire(DISPID event, const std::vector<Variant>& args)
{
    if (m_generator && hasEngine()) {
        m_generator->FireEvent(event, args);
    }
}

bool CSaxBasicObj::OpenScript(const std::string& path)
{
    if (path.empty()) {
        return false;
    }
    if (upper(path).find("_ENCRPT") != std::string::npos) {
        OpenEncryptedScript(path);
        m_encrypted = true;
        m_scriptOpen = true;
        return true;
    }
    try {
        m_encrypted = false;
        ExecuteCommand(BasicEngine::CommandClose);
        const bool eventMode = GetBoolProperty(32);
        PutProperty(16, Variant(path));
        LoadClassModules();
        offerModeSwitch(path, eventMode);
        if (GetScriptKind() == -1) {
            return true;
        }
        ExecuteCommand(BasicEngine::CommandRun);
        m_scriptOpen = true;
    } catch (const std::exception& error) {
        platform::win::logError("BASICOBJ", "open: %s", error.what());
    }
    return true;
}

void CSaxBasicObj::OpenAutoRunScript(const std::string& path, bool encrypted)
{
    if (!encrypted) {
        OpenScript(path);
        return;
    }
    OpenEncryptedScript(path);
    m_encrypted = true;
    m_scriptOpen = true;
}

void CSaxBasicObj::offerModeSwitch(const std::string& path, bool eventMode)
{
    const int kind = GetScriptKind();
    if (kind == -1 || kind == (eventMode ? 1 : 0)) {
        return;
    }
    const char* question =
        kind == 1 ? "Would you like to automatically switch to Event-driven mode?\nThis will "
                    "close all open script files, but prompt you to save any changes."
                  : "Would you like to automatically switch to Procedural mode?\nThis will "
                    "close all open script files, but prompt you to save any changes.";
    if (!m_ui.messageBox(question, kCaption, ScriptUi::Box::YesNo)) {
        return;
    }
    PutProperty(32, Variant(kind == 1));
    ExecuteCommand(BasicEngine::CommandClose);
    PutProperty(16, Variant(path));
    LoadClassModules();
}

int CSaxBasicObj::GetScriptKind() const
{
    const std::string path = GetStringProperty(16);
    if (path.empty()) {
        return -1;
    }
    std::ifstream in(path);
    if (!in) {
        return -1;
    }
    std::string line;
    while (std::getline(in, line)) {
        std::transform(line.begin(), line.end(), line.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (line.find("sub main") != std::string::npos) {
            return 0;
        }
    }
    // A folder opens as a stream that reads nothing: it is no script.
    return in.bad() ? -1 : 1;
}

void CSaxBasicObj::LoadClassModules()
{
    CINIFileSupport store(nullptr, 1);
    const std::string pattern = store.GetStringDefault(kIdeSection, "ClassPath", "");
    if (pattern.empty()) {
        return;
    }
    glob_t found{};
    if (::glob(pattern.c_str(), 0, nullptr, &found) == 0) {
        // glob sorts its matches by name.
        for (size_t i = 0; i < found.gl_pathc; ++i) {
            InvokeMethod(40, {Variant(std::string(found.gl_pathv[i]))});
        }
    }
    ::globfree(&found);
}

bool CSaxBasicObj::OpenEncryptedScript(const std::string& path)
{
    using namespace toolkit::crypt;
    std::string plain;
    try {
        COXCryptFile in(kScriptKeyBits);
        FileException error(FileException::none, path.c_str());
        if (!in.Open(path.c_str(), kModeRead, &error)) {
            throw error;
        }
        char chunk[4096];
        for (;;) {
            const unsigned n = in.Read(chunk, sizeof chunk);
            if (n == 0) {
                break;
            }
            plain.append(chunk, n);
        }
        in.Close();
    } catch (const std::exception& error) {
        platform::win::logError("BASICOBJ", "enciphered script %s: %s", path.c_str(), error.what());
        return false;
    }
    // The last block was padded with zeros before it was enciphered.
    while (!plain.empty() && plain.back() == '\0') {
        plain.pop_back();
    }
    // A wrong key or a cut file deciphers to noise, which is no script text (control
    // characters other than tab, line ends and form feed): the engine keeps its script.
    const bool noise = plain.empty() || std::any_of(plain.begin(), plain.end(), [](char c) {
                           const auto u = static_cast<unsigned char>(c);
                           return u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f';
                       });
    if (noise) {
        platform::win::logError("BASICOBJ", "enciphered script %s: not a script", path.c_str());
        return false;
    }
    if (!PutProperty(8, Variant(plain))) {
        platform::win::logError("BASICOBJ", "enciphered script %s: refused", path.c_str());
        return false;
    }
    PutProperty(20, Variant(true));
    return true;
}

bool CSaxBasicObj::IsEditorFocused()
{
    const int32_t editor = GetLongProperty(-515);
    return editor != 0 && m_ui.focusWithin(editor);
}

void CSaxBasicObj::OnErrorAlert()
{
    const int32_t line = GetLongProperty(11);
    const std::string text = GetStringProperty(13);
    const std::string module = GetStringProperty(10);
    char buffer[2048];
    std::snprintf(buffer, sizeof buffer,
                  "An error has occurred in the script.\nText: %s\nModule: %s\nLine: %d\n",
                  text.c_str(), module.c_str(), static_cast<int>(line));
    if (!GetBoolProperty(94)) {
        m_ui.messageBox(buffer, kCaption, ScriptUi::Box::Ok);
    }
}

void CSaxBasicObj::ReportException(const std::string& what)
{
    CSaxBasicDriver::ReportException(what);
    if (!GetBoolProperty(94)) {
        m_ui.messageBox("An error has occurred in the script.\nText: " + what + "\n", kCaption,
                        ScriptUi::Box::Ok);
    }
}

void CSaxBasicObj::OnMacroBegin(const std::string& name)
{
    fire(automation::CEventGenerator::MacroBegin, {Variant(name)});
    m_ui.focusMainFrame();
}

bool CSaxBasicObj::OnOverrideMenuCommand(int16_t id)
{
    // The host's own ExecuteCommand raises this event too: the engine carries that one out.
    if (m_overriding) {
        return false;
    }
    m_overriding = true;
    struct Reset
    {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_overriding};
    switch (id) {
    case 1: {
        const bool eventMode = GetBoolProperty(32);
        ExecuteCommand(1);
        const std::string path = GetStringProperty(16);
        LoadClassModules();
        offerModeSwitch(path, eventMode);
        InvokeMethod100();
        return true;
    }
    case 6: {
        const std::string path = GetStringProperty(16);
        if (!path.empty()) {
            m_ui.addRecentScript(path);
        }
        return false;
    }
    case 8:
        fire(automation::CEventGenerator::MacroEnd, {});
        return false;
    case 32762:
        return true;
    default:
        return false;
    }
}

void CSaxBasicObj::OnModalDialog(bool modal)
{
    // While a script's dialog runs, the editor takes no input.
    PutProperty(-514, Variant(!modal));
}

bool CSaxBasicObj::OnCloseWindow()
{
    InvokeMethod96();
    InvokeMethod100();
    PutProperty(94, Variant(false));
    return true;
}
