#include "platform/basic/BasicEngine.h"

#include "platform/automation/ClassRegistry.h"
#include "platform/basic/Parser.h"
#include "platform/win/System.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace platform::basic {

using automation::DispatchPtr;
using automation::DISPID;
using automation::FAILED;
using automation::Guid;
using automation::HRESULT;
using automation::S_OK;
using automation::Variant;
using automation::VarType;

namespace {

struct PropertySpec
{
    DISPID id;
    const char* name;
    VarType type;
    bool canGet;
    bool canPut;
};

// Properties kept as plain values (the editor settings and the host's flags).
const PropertySpec kProperties[] = {
    {9, "EditTools", VarType::Bool, true, true},
    {21, "StatusVisible", VarType::Bool, true, true},
    {22, "ToolbarVisible", VarType::Bool, true, true},
    {31, "AlwaysSplit", VarType::Bool, true, true},
    {36, "HostReady", VarType::Bool, true, true},
    {66, "DebugHeight", VarType::I2, true, true},
    {81, "TabAsSpaces", VarType::Bool, true, true},
    {82, "TabWidth", VarType::I2, true, true},
    {90, "Left", VarType::I4, true, true},
    {91, "Top", VarType::I4, true, true},
    {92, "Width", VarType::I4, true, true},
    {93, "Height", VarType::I4, true, true},
    {106, "FileDirectory", VarType::Bstr, true, true},
    {-501, "BackColor", VarType::I4, true, true},
    {-513, "ForeColor", VarType::I4, true, true},
    {-514, "Enabled", VarType::Bool, true, true},
    {-518, "Caption", VarType::Bstr, true, true},
};

const std::pair<const char*, DISPID> kNames[] = {
    {"AddExtension", 24},
    {"AddObject", 65},
    {"DeclareFunction", 38},
    {"RemoveObject", 48},
    {"AddModule", 40},
    {"CloseEngine", 39},
    {"GetMacroState", 43},
    {"ExecuteCommand", 28},
    {"ShowEditor", 96},
    {"HideEditor", 100},
    {"Code", 8},
    {"ErrorModule", 10},
    {"ErrorLine", 11},
    {"ErrorText", 13},
    {"FileName", 16},
    {"Paused", 19},
    {"Running", 20},
    {"EventMode", 32},
    {"EditorVisible", 94},
    {"hWnd", -515},
};

std::string readText(const std::string& path, bool& ok)
{
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    std::ostringstream text;
    if (ok) {
        text << in.rdbuf();
    }
    return text.str();
}

std::string baseName(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// Receives the events of an object added with AddObject and hands them to the engine.
class ObjectSink : public automation::AutomationObject
{
public:
    ObjectSink(BasicEngine& engine, std::string name, Guid eventIid)
        : AutomationObject(nullptr, AppLock::None), m_engine(engine), m_name(std::move(name)),
          m_eventIid(eventIid)
    {}
    HRESULT Invoke(DISPID dispid, uint16_t, std::span<Variant> args, Variant*,
                   automation::DispatchError*) override
    {
        m_engine.objectEvent(m_name, m_eventIid, dispid, args);
        return S_OK;
    }

private:
    BasicEngine& m_engine;
    std::string m_name;
    Guid m_eventIid;
};

// A function the host declared: its default property tells whether the script defines
// it, DISPID 2 calls it.
class ScriptFunction : public automation::AutomationObject
{
public:
    ScriptFunction(BasicEngine& engine, std::string name)
        : AutomationObject(nullptr, AppLock::None), m_engine(DispatchPtr(&engine)),
          m_name(std::move(name))
    {}
    HRESULT GetIDsOfNames(std::string_view name, DISPID& dispid) override
    {
        if (automation::namesEqual(name, "Defined")) {
            dispid = 0;
            return S_OK;
        }
        if (automation::namesEqual(name, "Call")) {
            dispid = 2;
            return S_OK;
        }
        return automation::DISP_E_UNKNOWNNAME;
    }
    HRESULT Invoke(DISPID dispid, uint16_t flags, std::span<Variant> args, Variant* result,
                   automation::DispatchError* error) override
    {
        auto& engine = static_cast<BasicEngine&>(*m_engine);
        if (dispid == 0 && (flags & automation::DISPATCH_PROPERTYGET) && args.empty()) {
            if (result) {
                *result = Variant(engine.interpreter().hasProcedure(m_name));
            }
            return S_OK;
        }
        if (dispid == 2) {
            // A function that fails answers a failure the caller can see, never an Empty
            // result it would read as an answer.
            Variant r;
            std::string failure;
            if (!engine.callFunction(m_name, args, r, failure)) {
                if (error) {
                    error->source = engine.interpreter().moduleName();
                    error->description = failure;
                }
                return automation::DISP_E_EXCEPTION;
            }
            if (result) {
                *result = std::move(r);
            }
            return S_OK;
        }
        return automation::DISP_E_MEMBERNOTFOUND;
    }

private:
    DispatchPtr m_engine;
    std::string m_name;
};

} // namespace

Guid BasicEngine::engineClsid()
{
    return *Guid::parse("{B20ABC78-3855-11D3-8F7F-0000861EF01D}");
}

Guid BasicEngine::engineEventsIid()
{
    return *Guid::parse("{B20ABC77-3855-11D3-8F7F-0000861EF01D}");
}

const automation::InterfaceDescription& BasicEngine::eventsInterface()
{
    using automation::MemberKind;
    using P = automation::ParamType;
    const auto e = [](DISPID id, const char* name,
                      std::vector<automation::ParamDescription> params = {}) {
        return automation::MemberSignature{id, name, MemberKind::Method, std::move(params),
                                           P::Void};
    };
    static const automation::InterfaceDescription events{
        "IBasicEngineEvents",
        engineEventsIid(),
        {
            e(1, "Change"),
            e(2, "DebugPrint", {{"text", P::Bstr}}),
            e(3, "DoEvents"),
            e(4, "Help", {{"text", P::Bstr}, {"handled", P::Variant}}),
            e(5, "ErrorAlert"),
            e(6, "Begin"),
            e(7, "End"),
            e(8, "Pause"),
            e(9, "Resume"),
            e(10, "Pending"),
            e(11, "StatusBar", {{"text", P::Bstr}, {"show", P::Bool}}),
            e(16, "CloseSheet", {{"sheet", P::Short}, {"answer", P::ShortRef}}),
            e(17, "GetMacroName", {{"name", P::Bstr}, {"flag", P::Bool}, {"answer", P::ShortRef}}),
            e(18, "ReadMacro", {{"name", P::Bstr}, {"text", P::Variant}, {"answer", P::ShortRef}}),
            e(19, "WriteMacro", {{"name", P::Bstr}, {"text", P::Bstr}, {"answer", P::ShortRef}}),
            e(20, "GetMacroCaption", {{"caption", P::Variant}}),
            e(21, "MacroBegin", {{"name", P::Bstr}}),
            e(22, "MacroEnd", {{"name", P::Bstr}}),
            e(23, "OverrideMenuCommand", {{"id", P::Short}, {"handled", P::Variant}}),
            e(24, "NewInstance", {{"name", P::Bstr}, {"object", P::Variant}}),
            e(25, "ParseProperties", {{"a", P::Bstr}, {"b", P::Bstr}, {"answer", P::Variant}}),
            e(26, "UpdateProperties", {{"a", P::Bstr}, {"text", P::Variant}}),
            e(27, "ShowForm"),
            e(28, "DebugTrace", {{"text", P::Bstr}}),
            e(29, "HandleError"),
            e(30, "OverrideModalWindowOwner", {{"owner", P::LongRef}}),
            e(31, "ModalDialog", {{"modal", P::Bool}}),
            e(32, "EnterDesignMode", {{"answer", P::Variant}}),
            e(33, "LeaveDesignMode", {{"answer", P::Variant}}),
            e(34, "WindowHandle", {{"window", P::LongRef}}),
            e(35, "CloseWindow", {{"answer", P::Variant}}),
            e(36, "OpenSheet", {{"sheet", P::Short}}),
            e(37, "ActiveSheetChange"),
            e(38, "FileMRUChange"),
            e(39, "ModalIdeDialog", {{"modal", P::Bool}}),
            e(40, "DebugClear"),
            e(41, "MapMacroName", {{"a", P::Variant}, {"b", P::Variant}}),
            e(42, "SelChange"),
            e(43, "ErrorLog", {{"code", P::Short}}),
            e(999, "OnBasicDialogIdle"),
        }};
    return events;
}

DispatchPtr BasicEngine::create()
{
    return DispatchPtr::adopt(new BasicEngine);
}

BasicEngine::BasicEngine() : CEventTarget(AppLock::None), m_interpreter(*this)
{
    SetEventInterface(automation::IID_IDispatch, engineEventsIid());
    for (const PropertySpec& p : kProperties) {
        m_properties[p.id] = Variant().changeType(p.type).value;
    }
    // The editor is usable until the host says a modal dialog runs (ModalDialog).
    m_properties[-514] = Variant(true);
}

BasicEngine::~BasicEngine()
{
    while (!m_objects.empty()) {
        removeObject(m_objects.back().name);
    }
}

HRESULT BasicEngine::GetIDsOfNames(std::string_view name, DISPID& dispid)
{
    for (const auto& [n, id] : kNames) {
        if (automation::namesEqual(n, name)) {
            dispid = id;
            return S_OK;
        }
    }
    for (const PropertySpec& p : kProperties) {
        if (automation::namesEqual(p.name, name)) {
            dispid = p.id;
            return S_OK;
        }
    }
    return automation::DISP_E_UNKNOWNNAME;
}

HRESULT BasicEngine::busyError(automation::DispatchError* error)
{
    if (error) {
        error->source = "BasicEngine";
        error->description = kBusyText;
    }
    return automation::DISP_E_EXCEPTION;
}

HRESULT BasicEngine::Invoke(DISPID dispid, uint16_t flags, std::span<Variant> args, Variant* result,
                            automation::DispatchError* error)
{
    const DispatchPtr keepAlive(this);
    const bool put = flags & automation::DISPATCH_PROPERTYPUT;
    Variant out;
    const auto need = [&](size_t n) { return args.size() == n; };
    const auto text = [&](size_t i) { return args[i].toBstr(); };
    switch (dispid) {
    case 24:
    case 65: {
        if (!need(2)) {
            return automation::DISP_E_BADPARAMCOUNT;
        }
        const auto name = text(0);
        const auto object = args[1].toDispatch();
        if (!name || !object) {
            return automation::DISP_E_TYPEMISMATCH;
        }
        out = Variant(addObject(name.value, object.value, dispid == 24));
        break;
    }
    case 38: {
        if (!need(1) || !text(0)) {
            return need(1) ? automation::DISP_E_TYPEMISMATCH : automation::DISP_E_BADPARAMCOUNT;
        }
        SyntaxError error{0, {}};
        auto declaration = parseDeclaration(text(0).value, error);
        if (!declaration) {
            out = Variant(DispatchPtr());
            break;
        }
        out = Variant(DispatchPtr::adopt(new ScriptFunction(*this, declaration->name)));
        break;
    }
    case 48:
        if (!need(1) || !text(0)) {
            return automation::DISP_E_BADPARAMCOUNT;
        }
        out = Variant(removeObject(text(0).value));
        break;
    case 40:
        if (!need(1) || !text(0)) {
            return automation::DISP_E_BADPARAMCOUNT;
        }
        if (busy()) {
            return busyError(error);
        }
        out = Variant(addModule(text(0).value));
        break;
    case 39: {
        if (!need(0)) {
            return automation::DISP_E_BADPARAMCOUNT;
        }
        // A running macro must end first.
        const bool mayClose = m_interpreter.runDepth() == 0;
        if (mayClose) {
            m_armed = false;
            while (!m_objects.empty()) {
                removeObject(m_objects.back().name);
            }
        }
        out = Variant(mayClose);
        break;
    }
    case 43:
        out = Variant(static_cast<int16_t>(m_interpreter.runDepth() == 0 ? 0
                                           : m_interpreter.paused()      ? 1
                                                                         : -1));
        break;
    case 28: {
        if (!need(1)) {
            return automation::DISP_E_BADPARAMCOUNT;
        }
        const auto id = args[0].toI2();
        if (!id) {
            return id.hr;
        }
        out = Variant(executeCommand(id.value));
        break;
    }
    case 96:
        // The host calls 96 before 100 to show the editor and before hiding it with a put
        // of 94: the editor stays as it is.
        break;
    case 100:
        showEditor(true);
        break;
    case 8:
        if (put) {
            if (!need(1) || !text(0)) {
                return automation::DISP_E_TYPEMISMATCH;
            }
            if (busy()) {
                return busyError(error);
            }
            loadCode(text(0).value);
        } else {
            out = Variant(m_code);
        }
        break;
    case 10:
        out = Variant(m_errorModule);
        break;
    case 11:
        out = Variant(m_errorLine);
        break;
    case 13:
        out = Variant(m_errorText);
        break;
    case 16:
        if (put) {
            if (!need(1) || !text(0)) {
                return automation::DISP_E_TYPEMISMATCH;
            }
            if (busy()) {
                return busyError(error);
            }
            openFile(text(0).value);
        } else {
            out = Variant(m_fileName);
        }
        break;
    case 19:
        if (put) {
            const auto b = need(1) ? args[0].toBool() : automation::Coerced<bool>{};
            if (!need(1) || !b) {
                return automation::DISP_E_TYPEMISMATCH;
            }
            m_interpreter.setPaused(b.value && m_interpreter.runDepth() > 0);
        } else {
            out = Variant(m_interpreter.paused());
        }
        break;
    case 20:
        if (put) {
            const auto b = need(1) ? args[0].toBool() : automation::Coerced<bool>{};
            if (!need(1) || !b) {
                return automation::DISP_E_TYPEMISMATCH;
            }
            if (b.value) {
                run();
            } else {
                requestStop();
            }
        } else {
            out = Variant(m_interpreter.runDepth() > 0);
        }
        break;
    case 32:
        if (put) {
            const auto b = need(1) ? args[0].toBool() : automation::Coerced<bool>{};
            if (!need(1) || !b) {
                return automation::DISP_E_TYPEMISMATCH;
            }
            m_eventMode = b.value;
        } else {
            out = Variant(m_eventMode);
        }
        break;
    case 94:
        if (put) {
            const auto b = need(1) ? args[0].toBool() : automation::Coerced<bool>{};
            if (!need(1) || !b) {
                return automation::DISP_E_TYPEMISMATCH;
            }
            showEditor(b.value);
        } else {
            out = Variant(m_editorShown);
        }
        break;
    case -515:
        // The editor window's handle: none without the editor.
        out = Variant(m_editor ? m_editor->windowHandle() : int32_t{0});
        break;
    default: {
        const auto it = m_properties.find(dispid);
        if (it == m_properties.end()) {
            return automation::DISP_E_MEMBERNOTFOUND;
        }
        if (put) {
            if (!need(1)) {
                return automation::DISP_E_BADPARAMCOUNT;
            }
            auto c = args[0].changeType(it->second.type());
            if (!c) {
                return c.hr;
            }
            it->second = std::move(c.value);
            if (m_editor) {
                m_editor->settingChanged(dispid, it->second);
            }
        } else {
            out = it->second;
        }
        break;
    }
    }
    if (result && !put) {
        *result = std::move(out);
    }
    return S_OK;
}

bool BasicEngine::addObject(const std::string& name, const DispatchPtr& object, bool extension)
{
    if (name.empty() || !object) {
        return false;
    }
    removeObject(name);
    Added added{name, object, {}, 0, extension, {}};
    // An event source: its events reach the script's "<name>_<event>" handlers.
    if (auto* source = dynamic_cast<automation::CEventTarget*>(object.get())) {
        const Guid eventIid = source->connectionPoint().GetConnectionInterface();
        added.eventIid = eventIid;
        added.sink = DispatchPtr::adopt(new ObjectSink(*this, name, eventIid));
        if (FAILED(source->connectionPoint().Advise(added.sink.get(), &added.cookie))) {
            added.sink.reset();
        }
    }
    m_objects.push_back(std::move(added));
    return true;
}

bool BasicEngine::removeObject(const std::string& name)
{
    for (auto it = m_objects.begin(); it != m_objects.end(); ++it) {
        if (automation::namesEqual(it->name, name)) {
            Added gone = std::move(*it);
            m_objects.erase(it);
            if (gone.sink) {
                if (auto* source = dynamic_cast<automation::CEventTarget*>(gone.object.get())) {
                    source->connectionPoint().Unadvise(gone.cookie);
                }
            }
            return true;
        }
    }
    return false;
}

DispatchPtr BasicEngine::namedObject(const std::string& lowerName)
{
    for (const Added& a : m_objects) {
        if (!a.extension && automation::namesEqual(a.name, lowerName)) {
            return a.object;
        }
    }
    return {};
}

std::vector<DispatchPtr> BasicEngine::extensions()
{
    std::vector<DispatchPtr> out;
    for (const Added& a : m_objects) {
        if (a.extension) {
            out.push_back(a.object);
        }
    }
    return out;
}

void BasicEngine::debugPrint(const std::string& text)
{
    if (m_editor) {
        m_editor->debugOutput(text);
    }
    FireEvent(EventDebugPrint, {Variant(text)});
}

void BasicEngine::setEditor(EngineEditor* editor)
{
    m_editor = editor;
    if (m_editor) {
        for (const auto& [id, value] : m_properties) {
            m_editor->settingChanged(id, value);
        }
        m_editor->codeChanged();
        m_editor->showEditor(m_editorShown);
    }
}

void BasicEngine::showEditor(bool shown)
{
    if (shown && !m_editorShown) {
        // The host names the window that owns the editor.
        int32_t owner = 0;
        FireEvent(EventWindowHandle, {Variant::byRef(&owner)});
        m_ownerWindow = owner;
    }
    m_editorShown = shown;
    if (m_editor) {
        m_editor->showEditor(shown);
    }
}

Variant BasicEngine::setting(DISPID id) const
{
    const auto it = m_properties.find(id);
    return it == m_properties.end() ? Variant() : it->second;
}

void BasicEngine::pauseScript(bool paused)
{
    m_interpreter.setPaused(paused && m_interpreter.runDepth() > 0);
}

bool BasicEngine::saveScript(const std::string& path)
{
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << m_code;
        out.flush();
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    m_fileName = path;
    return true;
}

void BasicEngine::editorDialog(bool modal)
{
    FireEvent(EventModalIdeDialog, {Variant(modal)});
}

void BasicEngine::requestEditorClose()
{
    const DispatchPtr keepAlive(this);
    bool answer = false;
    FireEvent(EventCloseWindow, {Variant::byRef(&answer)});
    // Without a host the editor hides itself.
    if (connectionPoint().connections().empty()) {
        showEditor(false);
    }
}

void BasicEngine::requestStop()
{
    m_armed = false;
    m_interpreter.requestStop();
}

void BasicEngine::setStatementHook(std::function<void()> hook, uint32_t statements)
{
    m_statementHook = std::move(hook);
    m_interpreter.setStatementHookInterval(m_statementHook ? statements : 0);
}

void BasicEngine::statementHook()
{
    if (m_statementHook) {
        m_statementHook();
    }
}

void BasicEngine::doEvents()
{
    FireEvent(EventDoEvents, {});
}

int BasicEngine::msgBox(const std::string& text, int buttons, const std::string& title)
{
    int32_t owner = 0;
    FireEvent(EventOverrideModalWindowOwner, {Variant::byRef(&owner)});
    FireEvent(EventModalDialog, {Variant(true)});
    const int answer = platform::win::MessageBox(static_cast<PWIN_HWND>(owner), text.c_str(),
                                                 title.c_str(), static_cast<PWIN_UINT>(buttons));
    FireEvent(EventModalDialog, {Variant(false)});
    return answer;
}

std::optional<std::string> BasicEngine::inputBox(const std::string& prompt,
                                                 const std::string& title,
                                                 const std::string& defaultText)
{
    FireEvent(EventModalDialog, {Variant(true)});
    auto answer = platform::win::InputBox(prompt, title, defaultText);
    FireEvent(EventModalDialog, {Variant(false)});
    return answer;
}

bool BasicEngine::executeCommand(int16_t command)
{
    // The host may take the command over.
    bool handled = false;
    FireEvent(EventOverrideMenuCommand, {Variant(command), Variant::byRef(&handled)});
    if (handled) {
        return true;
    }
    switch (command) {
    case CommandRun:
        run();
        return true;
    case CommandEnd:
        requestStop();
        return true;
    case CommandClose:
        if (m_interpreter.runDepth() > 0) {
            return false;
        }
        m_armed = false;
        m_code.clear();
        m_fileName.clear();
        loadCode("");
        return true;
    default:
        // The editor's own commands (open, save, ...) need the editor window.
        return false;
    }
}

bool BasicEngine::loadCode(const std::string& code)
{
    if (busy()) {
        // The running macro's code stays in place until it ends.
        return false;
    }
    m_code = code;
    m_armed = false;
    ScriptError error;
    const std::string module = m_fileName.empty() ? "Module1" : baseName(m_fileName);
    const bool loaded = m_interpreter.load(code, module, error);
    m_codeLoaded = loaded;
    if (m_editor) {
        m_editor->codeChanged();
    }
    if (!loaded) {
        reportError(error, module);
        return false;
    }
    m_errorModule.clear();
    m_errorLine = 0;
    m_errorText.clear();
    return true;
}

bool BasicEngine::openFile(const std::string& path)
{
    if (busy()) {
        return false;
    }
    m_fileName = path;
    bool ok = false;
    const std::string code = readText(path, ok);
    if (!ok) {
        m_code.clear();
        m_codeLoaded = false;
        m_armed = false;
        if (m_editor) {
            m_editor->codeChanged();
        }
        return false;
    }
    return loadCode(code);
}

bool BasicEngine::addModule(const std::string& path)
{
    if (busy()) {
        return false;
    }
    bool ok = false;
    const std::string code = readText(path, ok);
    if (!ok) {
        return false;
    }
    // The class's name: its VB_Name attribute, else the file's base name.
    std::string name = baseName(path);
    const size_t attr = code.find("VB_Name");
    if (attr != std::string::npos) {
        const size_t q1 = code.find('"', attr);
        const size_t q2 = q1 == std::string::npos ? q1 : code.find('"', q1 + 1);
        if (q2 != std::string::npos) {
            name = code.substr(q1 + 1, q2 - q1 - 1);
        }
    }
    ScriptError error;
    if (!m_interpreter.addClassModule(code, name, error)) {
        reportError(error, name);
        return false;
    }
    return true;
}

void BasicEngine::run()
{
    if (!m_interpreter.isLoaded() || !m_codeLoaded) {
        // The interpreter may still hold the code before a failed load: that is not run.
        reportRun(m_code.empty() ? std::string("No script is loaded")
                                 : "The script cannot run: line " + std::to_string(m_errorLine) +
                                       ": " + m_errorText);
        return;
    }
    if (m_interpreter.runDepth() > 0) {
        reportRun("The macro is already running");
        return;
    }
    if (m_eventMode) {
        // Event-driven: the module stays armed and its handlers answer events; nothing runs
        // now, so the editor says what the script waits for.
        m_armed = true;
        const std::vector<std::string> handlers = eventHandlers();
        std::string text = "Armed in Event-driven Mode";
        if (!handlers.empty()) {
            text += ": waiting for ";
            for (size_t i = 0; i < handlers.size(); ++i) {
                text += (i == 0 ? "" : ", ") + handlers[i];
            }
        } else {
            text += ", but the script handles no events";
            if (m_interpreter.hasProcedure("Main")) {
                text += ": Sub Main runs in Procedural Mode";
            }
        }
        reportRun(text);
        return;
    }
    if (!m_interpreter.hasProcedure("Main")) {
        reportError({35, "Sub or Function not defined", 0}, m_interpreter.moduleName());
        return;
    }
    FireEvent(EventMacroBegin, {Variant("Main")});
    const RunStatus status = m_interpreter.call("Main", {});
    FireEvent(EventMacroEnd, {Variant("Main")});
    reportFailure(status);
}

void BasicEngine::reportRun(const std::string& text)
{
    if (m_editor) {
        m_editor->runReported(text);
    }
}

std::vector<std::string> BasicEngine::eventHandlers() const
{
    std::vector<std::string> handlers;
    if (!m_interpreter.isLoaded()) {
        return handlers;
    }
    for (const Added& added : m_objects) {
        if (!added.sink) {
            continue;
        }
        const auto events = automation::ClassRegistry::instance().findInterface(added.eventIid);
        if (!events) {
            continue;
        }
        for (const auto& m : events->members) {
            const std::string handler = added.name + "_" + m.name;
            if (m_interpreter.hasProcedure(handler)) {
                handlers.push_back(handler);
            }
        }
    }
    return handlers;
}

void BasicEngine::reportFailure(RunStatus status)
{
    if (status == RunStatus::Failed) {
        reportError(m_interpreter.lastError(), m_interpreter.moduleName());
    }
}

void BasicEngine::reportError(const ScriptError& error, const std::string& module)
{
    m_errorModule = module;
    m_errorLine = error.line;
    m_errorText = error.description;
    if (m_editor) {
        m_editor->errorReported(error.line, error.description);
    }
    FireEvent(EventErrorAlert, {});
}

void BasicEngine::objectEvent(const std::string& objectName, const Guid& eventIid, DISPID dispid,
                              std::span<Variant> args)
{
    if (!m_interpreter.isLoaded() || (!m_armed && m_interpreter.runDepth() == 0)) {
        return;
    }
    const auto events = automation::ClassRegistry::instance().findInterface(eventIid);
    if (!events) {
        return;
    }
    for (const auto& m : events->members) {
        if (m.dispid != dispid) {
            continue;
        }
        const std::string handler = objectName + "_" + m.name;
        if (!m_interpreter.hasProcedure(handler)) {
            return;
        }
        const DispatchPtr keepAlive(this);
        const RunStatus status =
            m_interpreter.call(handler, std::vector<Variant>(args.begin(), args.end()));
        reportFailure(status);
        return;
    }
}

bool BasicEngine::callFunction(const std::string& name, std::span<Variant> args, Variant& result,
                               std::string& failure)
{
    const DispatchPtr keepAlive(this);
    const RunStatus status =
        m_interpreter.call(name, std::vector<Variant>(args.begin(), args.end()), &result);
    reportFailure(status);
    switch (status) {
    case RunStatus::Completed:
        return true;
    case RunStatus::Failed:
        failure = m_interpreter.lastError().description;
        break;
    case RunStatus::Stopped:
        failure = "The macro was stopped";
        break;
    case RunStatus::NotFound:
        failure = "Sub or Function not defined";
        break;
    }
    result = Variant();
    return false;
}

} // namespace platform::basic
