#pragma once

#include <source_location>
#include <string>

// The error convention of automation handlers: a handler body that throws is reported to
// the program's error log with its class's source name and a line, and the handler
// answers its neutral result. The error log plugs in through ErrorLogSink.
namespace platform::automation {

// Receives the exceptions that handlers catch. The program's error log implements it.
class ErrorLogSink
{
public:
    // description may be null (handlers give none); sourceName is the class's source name.
    virtual void logException(const char* description, const char* sourceName, int line) = 0;
    // One line of text that is not an exception (a library's message); no box is shown.
    virtual void logMessage(const std::string& text) { (void)text; }

protected:
    ~ErrorLogSink() = default;
};

// Installs the sink (null: caught exceptions are only counted). GUI thread only; the
// sink must outlive its installation.
void setErrorLogSink(ErrorLogSink* sink);
ErrorLogSink* errorLogSink();

// Reports one caught exception to the installed sink (no description).
void reportHandlerException(const char* sourceName, int line) noexcept;

// Runs body() and answers its result; an exception is reported with sourceName and the
// caller's line and the neutral value is answered instead.
template <class R, class F>
R runGuarded(const char* sourceName, R neutral, F&& body,
             std::source_location where = std::source_location::current())
{
    try {
        return body();
    } catch (...) {
        reportHandlerException(sourceName, static_cast<int>(where.line()));
        return neutral;
    }
}

// The same for a body without a result.
template <class F>
void runGuardedVoid(const char* sourceName, F&& body,
                    std::source_location where = std::source_location::current())
{
    try {
        body();
    } catch (...) {
        reportHandlerException(sourceName, static_cast<int>(where.line()));
    }
}

} // namespace platform::automation
