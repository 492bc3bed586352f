#pragma once

class CSaxBasicObj;
class ScriptUi;

// The scripting frame's behaviour while a macro may run, without a window of its own: the
// main window asks it at close, at the end of the session, before it is destroyed and before
// it translates keys. Besides the close retry and the script's DoEvents, the stop key looked
// for by the engine's statement hook is the third way the frame acts during a macro. GUI
// thread only.
class CSaxBasicObjFrame
{
public:
    // The close retry: timer 1 every 500 ms while a macro runs.
    static constexpr unsigned kCloseRetryTimer = 1;
    static constexpr unsigned kCloseRetryMs = 500;
    static constexpr const char* kMacroActiveText =
        "Macro still active.\n\nEnd all macros before quitting Windows.";

    enum class CloseVerdict
    {
        // Close as the base frame does.
        Close,
        // A macro runs: start the retry timer and do not close now.
        RetryLater,
        // A macro is paused (or another state): do not close.
        Refuse,
    };

    // script may be null: the frame then behaves as its base.
    CSaxBasicObjFrame(CSaxBasicObj* script, ScriptUi& ui) : m_script(script), m_ui(ui) {}

    CloseVerdict OnClose();
    // After the frame closed: a start that is not under the user's control (an automation
    // client started the program) shuts the engine down.
    void afterClose(bool userControl);
    // The end of the session: false refuses it (a running macro says why in a box).
    bool OnQueryEndSession(bool baseAllows);
    // The window is about to be destroyed: the engine goes first.
    void beforeDestroy();
    // Whether the frame's accelerators may act: not while the script editor has the focus.
    bool translatesKeys();

private:
    CSaxBasicObj* m_script;
    ScriptUi& m_ui;
};
