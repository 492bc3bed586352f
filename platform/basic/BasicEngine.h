#pragma once

#include "platform/automation/EventTarget.h"
#include "platform/automation/TypeInfo.h"
#include "platform/basic/Interpreter.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform::basic {

// The engine's editor window as the engine sees it (platform/basic/ide implements it;
// without one the engine has no editor). GUI thread.
class EngineEditor
{
public:
    virtual void showEditor(bool shown) = 0;
    // An editor setting (DISPIDs 9, 21, 22, 31, 66, 81, 82, 90 to 93, 106, -501, -513,
    // -514, -518) changed.
    virtual void settingChanged(automation::DISPID id, const automation::Variant& value) = 0;
    // The script's text was replaced.
    virtual void codeChanged() = 0;
    // A script error at a line (0: none known).
    virtual void errorReported(int line, const std::string& text) = 0;
    virtual void debugOutput(const std::string& text) = 0;
    // What Run did, or why it did nothing (a line for the status bar).
    virtual void runReported(const std::string& text) = 0;
    virtual int32_t windowHandle() = 0;

protected:
    ~EngineEditor() = default;
};

// The BASIC engine as the program's script host sees it: an automation object driven
// by DISPID (methods 24 AddExtension, 65 AddObject, 38 DeclareFunction, 48 RemoveObject,
// 40 AddModule, 39 CloseEngine, 43 GetMacroState, 28 ExecuteCommand, 96 and 100 show and
// hide the editor; properties 8 code, 10/11/13 last error, 16 file name, 19 paused,
// 20 running, 32 event mode, 94 editor shown and the editor settings), raising its events
// through one connection point (2 DebugPrint, 3 DoEvents, 5 ErrorAlert, 21 MacroBegin,
// 22 MacroEnd, 23 OverrideMenuCommand, 30 OverrideModalWindowOwner, 31 ModalDialog,
// 34 WindowHandle, 35 CloseWindow, 39 ModalIdeDialog). It runs scripts on the GUI thread;
// it does not pump messages itself: DoEvents raises its event and the host pumps.
class BasicEngine : public automation::CEventTarget, private InterpreterHost
{
public:
    // Engine commands (ExecuteCommand).
    enum Command : int16_t
    {
        CommandOpen = 1,   // the editor's file-open dialog
        CommandRun = 6,    // run the script (procedural) or arm it (event-driven)
        CommandEnd = 8,    // stop the running macro
        CommandClose = 37, // close the script
    };
    // Events, by DISPID.
    enum Event : automation::DISPID
    {
        EventDebugPrint = 2,
        EventDoEvents = 3,
        EventErrorAlert = 5,
        EventMacroBegin = 21,
        EventMacroEnd = 22,
        EventOverrideMenuCommand = 23,
        EventOverrideModalWindowOwner = 30,
        EventModalDialog = 31,
        EventWindowHandle = 34,
        EventCloseWindow = 35,
        EventModalIdeDialog = 39,
    };

    BasicEngine();
    ~BasicEngine() override;

    // The engine's class and event interface identifiers.
    static automation::Guid engineClsid();
    static automation::Guid engineEventsIid();
    // The engine's event interface with every event it declares.
    static const automation::InterfaceDescription& eventsInterface();
    // A new engine (one reference, the caller's).
    static automation::DispatchPtr create();

    automation::HRESULT GetIDsOfNames(std::string_view name, automation::DISPID& dispid) override;
    automation::HRESULT Invoke(automation::DISPID dispid, uint16_t flags,
                               std::span<automation::Variant> args, automation::Variant* result,
                               automation::DispatchError* error) override;

    Interpreter& interpreter() { return m_interpreter; }

    // The editor's view of the engine.
    void setEditor(EngineEditor* editor);
    const std::string& code() const { return m_code; }
    const std::string& fileName() const { return m_fileName; }
    // Replaces the script's code: false on a syntax error, or while a macro runs (busy()).
    bool setCode(const std::string& code) { return loadCode(code); }
    bool openScript(const std::string& path) { return openFile(path); }
    // Writes the current code to path (temporary file, then rename) and makes it the
    // script's file name.
    bool saveScript(const std::string& path);
    void runScript() { executeCommand(CommandRun); }
    // Asks the running macro to stop at its next statement and disarms an event-driven
    // script, as a put of Running = FALSE does. Any thread.
    void requestStop();
    // Calls hook on the GUI thread every `statements` statements while a macro runs without
    // reaching DoEvents (a count, not a clock; 0 or no hook: never), so the host can look
    // for a stop key while the GUI thread is busy with the script.
    void setStatementHook(std::function<void()> hook, uint32_t statements);
    void stopScript() { executeCommand(CommandEnd); }
    void pauseScript(bool paused);
    automation::Variant setting(automation::DISPID id) const;
    bool editorShown() const { return m_editorShown; }
    // The editor's close box: asks the host (CloseWindow), which hides the editor.
    void requestEditorClose();
    // The editor opens (true) or closed (false) a modal dialog of its own.
    void editorDialog(bool modal);
    // The window the host named as the editor's owner (WindowHandle), 0 for none.
    int32_t ownerWindow() const { return m_ownerWindow; }

    // Called by the sinks on added objects and by function objects.
    void objectEvent(const std::string& objectName, const automation::Guid& eventIid,
                     automation::DISPID dispid, std::span<automation::Variant> args);
    // Runs a function of the script for the host; false with the reason when it fails (the
    // failure is also reported once through ErrorAlert).
    bool callFunction(const std::string& name, std::span<automation::Variant> args,
                      automation::Variant& result, std::string& failure);

    // The script's handlers of the added objects' events ("EventGenerator_TimerTick"), in
    // the order the objects were added and their events declared.
    std::vector<std::string> eventHandlers() const;

    // True while a macro runs (or waits in DoEvents, MsgBox or a pause): the code cannot be
    // replaced then.
    bool busy() const { return m_interpreter.runDepth() > 0; }
    // The failure text of a change refused while a macro runs.
    static constexpr const char* kBusyText = "The macro is running: stop it first";

private:
    struct Added
    {
        std::string name;
        automation::DispatchPtr object;
        automation::DispatchPtr sink;
        uint32_t cookie = 0;
        bool extension = false;
        automation::Guid eventIid; // of an event source (sink set)
    };

    // InterpreterHost
    void debugPrint(const std::string& text) override;
    void doEvents() override;
    int msgBox(const std::string& text, int buttons, const std::string& title) override;
    // Asks through the "InputBox" dialog hook (platform/win), which the program's UI
    // services answer.
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    automation::DispatchPtr namedObject(const std::string& lowerName) override;
    std::vector<automation::DispatchPtr> extensions() override;
    void statementHook() override;

    static automation::HRESULT busyError(automation::DispatchError* error);
    bool addObject(const std::string& name, const automation::DispatchPtr& object, bool extension);
    bool removeObject(const std::string& name);
    bool executeCommand(int16_t command);
    bool loadCode(const std::string& code);
    bool openFile(const std::string& path);
    bool addModule(const std::string& path);
    void run();
    void reportFailure(RunStatus status);
    // Tells the editor (when there is one) what Run did.
    void reportRun(const std::string& text);
    void reportError(const ScriptError& error, const std::string& module);

    Interpreter m_interpreter;
    void showEditor(bool shown);

    std::vector<Added> m_objects;
    EngineEditor* m_editor = nullptr;
    int32_t m_ownerWindow = 0;
    std::map<automation::DISPID, automation::Variant> m_properties;
    std::string m_code;
    // m_code is the module loaded: false after a syntax error or a file that could not be
    // read, when the interpreter still holds the code before it.
    bool m_codeLoaded = false;
    std::string m_fileName;
    bool m_eventMode = true;
    std::atomic<bool> m_armed{false};
    std::function<void()> m_statementHook;
    bool m_editorShown = false;
    std::string m_errorModule;
    int32_t m_errorLine = 0;
    std::string m_errorText;
};

} // namespace platform::basic
