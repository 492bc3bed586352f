// The hooks of message boxes, beeps, debug output and named dialogs, and their fallbacks
// when nothing is installed.
#include "platform/win/ExportGuard.h"
#include "platform/win/Log.h"
#include "platform/win/TextUtil.h"
#include "platform/win/c/pwin_system.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace {

struct MessageBoxHookState
{
    PWIN_MESSAGEBOX_HOOK hook;
    std::thread::id guiThread;
};

struct DialogHookState
{
    PWIN_DIALOG_HOOK hook;
    void* context;
    std::thread::id guiThread;
};

struct Hooks
{
    std::mutex mutex;
    std::shared_ptr<const MessageBoxHookState> messageBox;
    PWIN_BEEP_HOOK beep = nullptr;
    void* beepContext = nullptr;
    PWIN_DEBUG_OUTPUT_HOOK debugOutput = nullptr;
    void* debugOutputContext = nullptr;
    // Keyed by the folded dialog name.
    std::map<std::string, DialogHookState> dialogs;
};

// Lives as long as the process: a library's detach at exit may still write a debug line
// after the process's own statics are gone.
Hooks& hooks()
{
    static Hooks& instance = *new Hooks;
    return instance;
}

// The buttons of each box type, left to right.
struct ButtonRow
{
    int count;
    int answers[3];
};

ButtonRow buttonsOf(PWIN_UINT type)
{
    switch (type & PWIN_MB_TYPEMASK) {
    case PWIN_MB_OKCANCEL:
        return {2, {PWIN_IDOK, PWIN_IDCANCEL, 0}};
    case PWIN_MB_ABORTRETRYIGNORE:
        return {3, {PWIN_IDABORT, PWIN_IDRETRY, PWIN_IDIGNORE}};
    case PWIN_MB_YESNOCANCEL:
        return {3, {PWIN_IDYES, PWIN_IDNO, PWIN_IDCANCEL}};
    case PWIN_MB_YESNO:
        return {2, {PWIN_IDYES, PWIN_IDNO, 0}};
    case PWIN_MB_RETRYCANCEL:
        return {2, {PWIN_IDRETRY, PWIN_IDCANCEL, 0}};
    default:
        return {1, {PWIN_IDOK, 0, 0}};
    }
}

const char* answerName(int answer)
{
    switch (answer) {
    case PWIN_IDOK:
        return "OK";
    case PWIN_IDCANCEL:
        return "Cancel";
    case PWIN_IDABORT:
        return "Abort";
    case PWIN_IDRETRY:
        return "Retry";
    case PWIN_IDIGNORE:
        return "Ignore";
    case PWIN_IDYES:
        return "Yes";
    case PWIN_IDNO:
        return "No";
    default:
        return "?";
    }
}

bool isButtonOf(PWIN_UINT type, int answer)
{
    const ButtonRow row = buttonsOf(type);
    for (int i = 0; i < row.count; ++i) {
        if (row.answers[i] == answer) {
            return true;
        }
    }
    return false;
}

// A box nobody can answer goes to standard error, where a console user or a test log
// sees it, with the answer it was given.
void writeBoxToStderr(const char* text, const char* caption, int answer)
{
    std::fprintf(stderr, "[message box] %s: %s [answered %s]\n", caption, text, answerName(answer));
    std::fflush(stderr);
}

bool debugOutputToStderr()
{
    const char* value = std::getenv("VYKDRV_DEBUG");
    return value != nullptr && *value != '\0';
}

} // namespace

static void pwin_SetMessageBoxHookImpl(const PWIN_MESSAGEBOX_HOOK* hook)
{
    std::shared_ptr<const MessageBoxHookState> state;
    if (hook != nullptr && (hook->show != nullptr || hook->showLater != nullptr)) {
        state = std::make_shared<const MessageBoxHookState>(
            MessageBoxHookState{*hook, std::this_thread::get_id()});
    }
    std::lock_guard lock(hooks().mutex);
    hooks().messageBox = std::move(state);
}

static int pwin_MessageBoxDefaultAnswerImpl(PWIN_UINT type)
{
    const ButtonRow row = buttonsOf(type);
    const int index = static_cast<int>((type & PWIN_MB_DEFMASK) >> 8);
    return index < row.count ? row.answers[index] : row.answers[0];
}

static int pwin_MessageBoxAImpl(PWIN_HWND owner, const char* text, const char* caption,
                                PWIN_UINT type)
{
    text = text != nullptr ? text : "";
    caption = caption != nullptr ? caption : "";
    const int fallback = pwin_MessageBoxDefaultAnswer(type);
    std::shared_ptr<const MessageBoxHookState> state;
    {
        std::lock_guard lock(hooks().mutex);
        state = hooks().messageBox;
    }
    if (state != nullptr) {
        if (std::this_thread::get_id() == state->guiThread) {
            if (state->hook.show != nullptr) {
                const int answer =
                    state->hook.show(state->hook.context, owner, text, caption, type);
                return isButtonOf(type, answer) ? answer : fallback;
            }
        } else if (state->hook.showLater != nullptr) {
            state->hook.showLater(state->hook.context, owner, text, caption, type);
            return fallback;
        }
    }
    writeBoxToStderr(text, caption, fallback);
    return fallback;
}

static void pwin_SetMessageBeepHookImpl(PWIN_BEEP_HOOK hook, void* context)
{
    std::lock_guard lock(hooks().mutex);
    hooks().beep = hook;
    hooks().beepContext = hook != nullptr ? context : nullptr;
}

static void pwin_SetDebugOutputHookImpl(PWIN_DEBUG_OUTPUT_HOOK hook, void* context)
{
    std::lock_guard lock(hooks().mutex);
    hooks().debugOutput = hook;
    hooks().debugOutputContext = hook != nullptr ? context : nullptr;
    platform::win::detail::noteDebugOutputHook(hook != nullptr);
}

static PWIN_BOOL pwin_MessageBeepImpl(PWIN_UINT type)
{
    PWIN_BEEP_HOOK hook;
    void* context;
    {
        std::lock_guard lock(hooks().mutex);
        hook = hooks().beep;
        context = hooks().beepContext;
    }
    if (hook != nullptr) {
        hook(context, type);
    }
    return 1;
}

static void pwin_OutputDebugStringAImpl(const char* text)
{
    if (text == nullptr) {
        return;
    }
    PWIN_DEBUG_OUTPUT_HOOK hook;
    void* context;
    {
        std::lock_guard lock(hooks().mutex);
        hook = hooks().debugOutput;
        context = hooks().debugOutputContext;
    }
    if (hook != nullptr) {
        hook(context, text);
    } else if (debugOutputToStderr()) {
        std::fputs(text, stderr);
        std::fflush(stderr);
    }
}

static void pwin_SetDialogHookImpl(const char* dialogName, PWIN_DIALOG_HOOK hook, void* context)
{
    if (dialogName == nullptr) {
        return;
    }
    const std::string key = platform::win::foldCase(dialogName);
    std::lock_guard lock(hooks().mutex);
    if (hook == nullptr) {
        hooks().dialogs.erase(key);
    } else {
        hooks().dialogs[key] = DialogHookState{hook, context, std::this_thread::get_id()};
    }
}

static intptr_t pwin_DialogBoxParamAImpl(const char* dialogName, void* param)
{
    if (dialogName == nullptr) {
        return PWIN_IDCANCEL;
    }
    DialogHookState state{};
    {
        std::lock_guard lock(hooks().mutex);
        const auto found = hooks().dialogs.find(platform::win::foldCase(dialogName));
        if (found == hooks().dialogs.end()) {
            return PWIN_IDCANCEL;
        }
        state = found->second;
    }
    if (std::this_thread::get_id() != state.guiThread) {
        return PWIN_IDCANCEL;
    }
    return state.hook(state.context, dialogName, param);
}

namespace {
thread_local PWIN_DWORD t_lastError = 0;
}

static PWIN_DWORD pwin_GetLastErrorImpl(void)
{
    return t_lastError;
}

static void pwin_SetLastErrorImpl(PWIN_DWORD error)
{
    t_lastError = error;
}

// ---- exports: every body runs inside the export guard ----

using platform::win::exportGuard;

PWIN_API void pwin_SetMessageBoxHook(const PWIN_MESSAGEBOX_HOOK* hook)
{
    exportGuard<int>("pwin_SetMessageBoxHook", 0, [&] {
        pwin_SetMessageBoxHookImpl(hook);
        return 0;
    });
}

PWIN_API int pwin_MessageBoxDefaultAnswer(PWIN_UINT type)
{
    return exportGuard<int>("pwin_MessageBoxDefaultAnswer", PWIN_IDOK,
                            [&] { return pwin_MessageBoxDefaultAnswerImpl(type); });
}

PWIN_API int pwin_MessageBoxA(PWIN_HWND owner, const char* text, const char* caption,
                              PWIN_UINT type)
{
    return exportGuard<int>("pwin_MessageBoxA", 0,
                            [&] { return pwin_MessageBoxAImpl(owner, text, caption, type); });
}

PWIN_API void pwin_SetMessageBeepHook(PWIN_BEEP_HOOK hook, void* context)
{
    exportGuard<int>("pwin_SetMessageBeepHook", 0, [&] {
        pwin_SetMessageBeepHookImpl(hook, context);
        return 0;
    });
}

PWIN_API void pwin_SetDebugOutputHook(PWIN_DEBUG_OUTPUT_HOOK hook, void* context)
{
    exportGuard<int>("pwin_SetDebugOutputHook", 0, [&] {
        pwin_SetDebugOutputHookImpl(hook, context);
        return 0;
    });
}

PWIN_API PWIN_BOOL pwin_MessageBeep(PWIN_UINT type)
{
    return exportGuard<PWIN_BOOL>("pwin_MessageBeep", 0,
                                  [&] { return pwin_MessageBeepImpl(type); });
}

PWIN_API void pwin_OutputDebugStringA(const char* text)
{
    exportGuard<int>("pwin_OutputDebugStringA", 0, [&] {
        pwin_OutputDebugStringAImpl(text);
        return 0;
    });
}

PWIN_API void pwin_SetDialogHook(const char* dialogName, PWIN_DIALOG_HOOK hook, void* context)
{
    exportGuard<int>("pwin_SetDialogHook", 0, [&] {
        pwin_SetDialogHookImpl(dialogName, hook, context);
        return 0;
    });
}

PWIN_API intptr_t pwin_DialogBoxParamA(const char* dialogName, void* param)
{
    return exportGuard<intptr_t>("pwin_DialogBoxParamA", PWIN_IDCANCEL,
                                 [&] { return pwin_DialogBoxParamAImpl(dialogName, param); });
}

PWIN_API PWIN_DWORD pwin_GetLastError(void)
{
    return exportGuard<PWIN_DWORD>("pwin_GetLastError", 0, [&] { return pwin_GetLastErrorImpl(); });
}

PWIN_API void pwin_SetLastError(PWIN_DWORD error)
{
    exportGuard<int>("pwin_SetLastError", 0, [&] {
        pwin_SetLastErrorImpl(error);
        return 0;
    });
}
