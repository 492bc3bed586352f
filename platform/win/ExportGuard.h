#pragma once

#include "platform/win/Log.h"

#include <exception>
#include <utility>

namespace platform::win {

// Runs the body of an exported C function: an exception (memory or threads exhausted)
// never crosses the C boundary; it is logged and the function returns failure instead.
template <class Result, class Body>
Result exportGuard(const char* function, Result failure, Body&& body) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (const std::exception& e) {
        logError("win", "%s failed: %s", function, e.what());
    } catch (...) {
        logError("win", "%s failed", function);
    }
    return failure;
}

} // namespace platform::win
