#include "platform/automation/HandlerGuard.h"

namespace platform::automation {

namespace {

ErrorLogSink* g_sink = nullptr;

} // namespace

void setErrorLogSink(ErrorLogSink* sink)
{
    g_sink = sink;
}

ErrorLogSink* errorLogSink()
{
    return g_sink;
}

void reportHandlerException(const char* sourceName, int line) noexcept
{
    if (!g_sink) {
        return;
    }
    // The log itself must not throw out of a handler's catch block.
    try {
        g_sink->logException(nullptr, sourceName ? sourceName : "", line);
    } catch (...) {
    }
}

} // namespace platform::automation
