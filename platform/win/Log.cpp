#include "platform/win/Log.h"

#include "platform/win/c/pwin_system.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

namespace platform::win {

namespace {

constexpr int kNoOverride = -1;
std::atomic<int> g_levelOverride{kNoOverride};
std::atomic<bool> g_debugHookInstalled{false};

const char* levelName(LogLevel level)
{
    switch (level) {
    case LogLevel::Error:
        return "error";
    case LogLevel::Warn:
        return "warn";
    case LogLevel::Info:
        return "info";
    case LogLevel::Debug:
        return "debug";
    case LogLevel::Trace:
        return "trace";
    }
    return "?";
}

// The level named by VYKDRV_DEBUG, or -1 when it is not set.
int levelFromEnvironment()
{
    const char* value = std::getenv("VYKDRV_DEBUG");
    if (value == nullptr || *value == '\0') {
        return -1;
    }
    static const char* const kNames[] = {"error", "warn", "info", "debug", "trace"};
    for (int i = 0; i < 5; ++i) {
        if (strcasecmp(value, kNames[i]) == 0) {
            return i;
        }
    }
    if (value[0] >= '0' && value[0] <= '4' && value[1] == '\0') {
        return value[0] - '0';
    }
    return static_cast<int>(LogLevel::Debug);
}

thread_local int t_deferralDepth = 0;
thread_local std::vector<std::string> t_deferred;

void emit(const std::string& line)
{
    if (t_deferralDepth > 0) {
        t_deferred.push_back(line);
        return;
    }
    pwin_OutputDebugStringA(line.c_str());
}

void writeV(LogLevel level, const char* module, const char* format, va_list args)
{
    char buffer[1024];
    const int prefix = std::snprintf(buffer, sizeof buffer, "[%s] %s: ", levelName(level),
                                     module != nullptr ? module : "-");
    std::string line(buffer, prefix > 0 ? static_cast<size_t>(prefix) : 0);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, copy);
    va_end(copy);
    if (length < 0) {
        line += format;
    } else if (static_cast<size_t>(length) < sizeof buffer) {
        line.append(buffer, static_cast<size_t>(length));
    } else {
        std::string text(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<size_t>(length));
        line += text;
    }
    line += '\n';
    emit(line);
}

} // namespace

bool logEnabled(LogLevel level)
{
    const int fromEnvironment = levelFromEnvironment();
    int threshold = g_levelOverride.load(std::memory_order_relaxed);
    if (threshold == kNoOverride) {
        threshold = fromEnvironment >= 0 ? fromEnvironment : static_cast<int>(LogLevel::Warn);
    }
    if (static_cast<int>(level) > threshold) {
        return false;
    }
    // Without a hook the text goes to standard error only under VYKDRV_DEBUG; formatting
    // it for nobody is skipped.
    return fromEnvironment >= 0 || g_debugHookInstalled.load(std::memory_order_relaxed);
}

void setLogLevel(LogLevel level)
{
    g_levelOverride.store(static_cast<int>(level), std::memory_order_relaxed);
}

void resetLogLevel()
{
    g_levelOverride.store(kNoOverride, std::memory_order_relaxed);
}

LogDeferral::LogDeferral()
{
    ++t_deferralDepth;
}

LogDeferral::~LogDeferral()
{
    if (--t_deferralDepth > 0 || t_deferred.empty()) {
        return;
    }
    std::vector<std::string> lines;
    lines.swap(t_deferred);
    for (const auto& line : lines) {
        pwin_OutputDebugStringA(line.c_str());
    }
}

void detail::noteDebugOutputHook(bool installed)
{
    g_debugHookInstalled.store(installed, std::memory_order_relaxed);
}

void logWrite(LogLevel level, const char* module, const char* format, ...)
{
    if (!logEnabled(level)) {
        return;
    }
    va_list args;
    va_start(args, format);
    writeV(level, module, format, args);
    va_end(args);
}

#define PWIN_DEFINE_LOG_FUNCTION(name, level)                                                      \
    void name(const char* module, const char* format, ...)                                         \
    {                                                                                              \
        if (!logEnabled(level)) {                                                                  \
            return;                                                                                \
        }                                                                                          \
        va_list args;                                                                              \
        va_start(args, format);                                                                    \
        writeV(level, module, format, args);                                                       \
        va_end(args);                                                                              \
    }

PWIN_DEFINE_LOG_FUNCTION(logError, LogLevel::Error)
PWIN_DEFINE_LOG_FUNCTION(logWarn, LogLevel::Warn)
PWIN_DEFINE_LOG_FUNCTION(logInfo, LogLevel::Info)
PWIN_DEFINE_LOG_FUNCTION(logDebug, LogLevel::Debug)
PWIN_DEFINE_LOG_FUNCTION(logTrace, LogLevel::Trace)

#undef PWIN_DEFINE_LOG_FUNCTION

} // namespace platform::win
