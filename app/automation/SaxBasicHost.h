#pragma once

#include "app/shell/MainFrameWindow.h"
#include "platform/automation/ClassRegistry.h"
#include "platform/automation/EventTarget.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CSaxBasicDriver;

// The engine's event sink: calls the driver's handler of each event and writes the handler's
// answer into the event's reference argument. GUI thread.
class CSaxBasicEventSink : public platform::automation::AutomationObject
{
public:
    explicit CSaxBasicEventSink(CSaxBasicDriver& driver);
    platform::automation::HRESULT Invoke(platform::automation::DISPID dispid, uint16_t flags,
                                         std::span<platform::automation::Variant> args,
                                         platform::automation::Variant* result,
                                         platform::automation::DispatchError* error) override;
    // The driver went away: events are answered neutrally.
    void detach() { m_driver = nullptr; }

private:
    CSaxBasicDriver* m_driver;
};

// A function of the script that the host declared (DeclareFunction): whether the script
// defines it, and a call of it.
class CSaxBasicFunction
{
public:
    CSaxBasicFunction() = default;
    explicit CSaxBasicFunction(platform::automation::DispatchPtr function)
        : m_function(std::move(function))
    {}
    bool IsDefined() const;
    // The function's result; false when the call failed inside the engine (the engine has
    // reported the failure itself through ErrorAlert).
    bool Call(std::vector<platform::automation::Variant> args,
              platform::automation::Variant& result) const;
    explicit operator bool() const { return static_cast<bool>(m_function); }

private:
    platform::automation::DispatchPtr m_function;
};

// The BASIC engine driven by DISPID: created by its class id through the class registry (no
// engine when no class is registered: every answer is then neutral), its events received by
// a CSaxBasicEventSink. It is the main frame's ScriptHost. GUI thread.
class CSaxBasicDriver : public ScriptHost
{
public:
    using DISPID = platform::automation::DISPID;
    using Variant = platform::automation::Variant;

    explicit CSaxBasicDriver(platform::automation::ClassRegistry& registry);
    virtual ~CSaxBasicDriver();
    CSaxBasicDriver(const CSaxBasicDriver&) = delete;
    CSaxBasicDriver& operator=(const CSaxBasicDriver&) = delete;

    // Creates the engine by its class id and connects the sink; false when none was made.
    virtual bool CreateEngine();
    bool hasEngine() const { return static_cast<bool>(m_engine); }
    const platform::automation::DispatchPtr& engine() const { return m_engine; }

    Variant GetProperty(DISPID id) const;
    bool GetBoolProperty(DISPID id) const;
    int32_t GetLongProperty(DISPID id) const;
    std::string GetStringProperty(DISPID id) const;
    // A put; false when there is no engine or the engine refused it.
    bool PutProperty(DISPID id, const Variant& value);
    // A method call; Empty without an engine or when the call failed.
    Variant InvokeMethod(DISPID id, std::vector<Variant> args = {});
    void InvokeMethod96() { InvokeMethod(96); }
    void InvokeMethod100() { InvokeMethod(100); }
    bool ExecuteCommand(int16_t command);
    // 0 no macro, -1 a macro runs, 1 a macro is paused.
    int16_t GetMacroState() const;
    // Asks the engine to close (it refuses while a macro runs); with release, a closed engine
    // is disconnected and released. False when the engine refused; true without an engine.
    bool CloseEngine(bool release = true);
    // Stops any macro and closes the engine for good.
    static void ShutDownEngine(CSaxBasicDriver* driver);

    CSaxBasicFunction DeclareFunction(const std::string& declaration);

    // ScriptHost
    bool definesVerifyMenu() override;
    std::optional<int32_t> callVerifyMenu(int32_t id) override;
    void reportError(const std::string& what) override { ReportException(what); }
    bool isRunning() override { return GetMacroState() != 0; }
    void stop() override { PutProperty(20, Variant(false)); }

    // Shows a host-side failure of a script call as a script error.
    virtual void ReportException(const std::string& what);

    // Handlers of the engine's events (the defaults answer neutrally). The sink writes a
    // handler's answer into the event's reference argument.
    virtual void OnDebugPrint(const std::string&) {}
    virtual void OnDoEvents() {}
    virtual void OnErrorAlert() {}
    virtual void OnMacroBegin(const std::string&) {}
    virtual void OnMacroEnd(const std::string&) {}
    // True: the host took the command over.
    virtual bool OnOverrideMenuCommand(int16_t) { return false; }
    virtual int32_t OnOverrideModalWindowOwner() { return 0; }
    virtual void OnModalDialog(bool) {}
    virtual int32_t OnWindowHandle() { return 0; }
    // True: the editor was hidden by the host; the engine keeps its window.
    virtual bool OnCloseWindow() { return false; }
    virtual void OnModalIdeDialog(bool) {}

private:
    void disconnect();

    platform::automation::ClassRegistry& m_registry;
    platform::automation::DispatchPtr m_engine;
    platform::automation::DispatchPtr m_sink;
    uint32_t m_cookie = 0;
    CSaxBasicFunction m_verifyMenu;
};

// What the script object needs of the program around it (the Qt main window implements it;
// tests record it).
class ScriptUi
{
public:
    virtual ~ScriptUi() = default;
    // A message box; answers true for Yes (question boxes) or OK.
    enum class Box
    {
        Ok,
        YesNo,
        Exclamation,
    };
    virtual bool messageBox(const std::string& text, const std::string& caption, Box box) = 0;
    // DoEvents: the idle handler once, then the pending events (a bounded number).
    virtual void doEvents() = 0;
    virtual void focusMainFrame() = 0;
    virtual void addRecentScript(const std::string& path) = 0;
    virtual int32_t mainWindowHandle() = 0;
    // The window with the keyboard focus belongs to the window of handle `window`.
    virtual bool focusWithin(int32_t window) = 0;
    // Called every so many statements of a macro that does not reach DoEvents: whether the
    // stop key (Ctrl+Break) was pressed in a program window since the last call. Nothing else
    // may be handled here, and no other input may be lost.
    virtual bool takeStopKey() { return false; }
};

// The program's script object: the driver with the host's own answers to the engine's
// events, the scripts it opens and the main frame's event generator. GUI thread.
class CSaxBasicObj : public CSaxBasicDriver
{
public:
    static constexpr const char* kCaption = "Harlune Scripting";
    // How often a macro that does not reach DoEvents looks for the stop key, in statements.
    static constexpr uint32_t kStopKeyStatements = 2000;

    CSaxBasicObj(platform::automation::ClassRegistry& registry, ScriptUi& ui);
    ~CSaxBasicObj() override;

    // Creates the engine and sets it up for the main frame: the INI object "{}", caption,
    // VerifyMenu, the event generator "EventGenerator".
    bool CreateEngine() override;
    // The frame's creation: editor made (96) and hidden (94 FALSE), class modules loaded.
    void OnFrameCreate();
    // The frame's close: the objects removed, the engine closed.
    void OnFrameClose();

    // Opens a script (plain or, with "_ENCRPT" in its path, enciphered). False only for no
    // path.
    bool OpenScript(const std::string& path);
    // 0 procedural ("sub main" in a line), 1 event-driven, -1 unreadable.
    int GetScriptKind() const;
    void LoadClassModules();
    // Deciphers in memory and hands the text to the engine; nothing changes on failure.
    bool OpenEncryptedScript(const std::string& path);
    bool IsEditorFocused();
    // The auto-run step of a new spectrum window, once a macro is no longer on the stack:
    // opens the script, enciphered or plain, and marks a script as opened either way, so that
    // it runs once.
    void OpenAutoRunScript(const std::string& path, bool encrypted);
    bool scriptOpen() const { return m_scriptOpen; }
    bool encrypted() const { return m_encrypted; }

    platform::automation::CEventGenerator* eventGenerator() const { return m_generator; }
    // Fires an event of the generator (nothing without an engine).
    void fire(platform::automation::DISPID event, const std::vector<Variant>& args);

    void OnDoEvents() override { m_ui.doEvents(); }
    void OnErrorAlert() override;
    void OnMacroBegin(const std::string& name) override;
    bool OnOverrideMenuCommand(int16_t id) override;
    int32_t OnWindowHandle() override { return m_ui.mainWindowHandle(); }
    int32_t OnOverrideModalWindowOwner() override { return m_ui.mainWindowHandle(); }
    void OnModalDialog(bool modal) override;
    bool OnCloseWindow() override;
    void ReportException(const std::string& what) override;

private:
    // Alive while this object is: the engine's statement hook checks it.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
    // Asks to switch the mode when the script's kind differs; on Yes reopens in that mode.
    void offerModeSwitch(const std::string& path, bool eventMode);

    ScriptUi& m_ui;
    platform::automation::DispatchPtr m_generatorRef;
    platform::automation::CEventGenerator* m_generator = nullptr;
    bool m_scriptOpen = false;
    bool m_encrypted = false;
    bool m_overriding = false;
};
