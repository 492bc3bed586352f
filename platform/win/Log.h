#pragma once

// The one diagnostic log of the system (not the user's error log). Each source file names
// its module once under a name of its own (sources of one target may share a unity unit),
// e.g. `constexpr const char* kRegistryLogModule = "registry";`, and writes
//     logWarn(kRegistryLogModule, "cannot open %s", path);
// Lines go through the debug-output hook (pwin_OutputDebugStringA), so they reach
// standard error only when VYKDRV_DEBUG is set or a hook shows them. VYKDRV_DEBUG may name
// the most detailed level written ("error", "warn", "info", "debug", "trace" or 0 to 4);
// any other non-empty value means "debug". Without it the level is "warn".
// Check logEnabled() before building anything costly, such as a byte dump.
// Thread-safe; callable from any thread.

namespace platform::win {

enum class LogLevel
{
    Error = 0,
    Warn = 1,
    Info = 2,
    Debug = 3,
    Trace = 4,
};

// True when a line of this level would be written somewhere.
bool logEnabled(LogLevel level);

// Overrides the level from VYKDRV_DEBUG for this process (tests, a debug switch).
void setLogLevel(LogLevel level);
// Back to the level from VYKDRV_DEBUG.
void resetLogLevel();

// Writes "[<level>] <module>: <text>\n" when the level is enabled.
void logWrite(LogLevel level, const char* module, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

void logError(const char* module, const char* format, ...) __attribute__((format(printf, 2, 3)));
void logWarn(const char* module, const char* format, ...) __attribute__((format(printf, 2, 3)));
void logInfo(const char* module, const char* format, ...) __attribute__((format(printf, 2, 3)));
void logDebug(const char* module, const char* format, ...) __attribute__((format(printf, 2, 3)));
void logTrace(const char* module, const char* format, ...) __attribute__((format(printf, 2, 3)));

// While an object of this type lives, the calling thread's log lines are held back and
// written when the outermost one ends. Declare it before taking a lock, so lines logged
// under the lock reach the log sink (and whatever hook stands behind it) after the lock
// is released.
class LogDeferral
{
public:
    LogDeferral();
    ~LogDeferral();
    LogDeferral(const LogDeferral&) = delete;
    LogDeferral& operator=(const LogDeferral&) = delete;
};

namespace detail {
// Told by pwin_SetDebugOutputHook whether a hook takes the lines.
void noteDebugOutputHook(bool installed);
} // namespace detail

} // namespace platform::win
