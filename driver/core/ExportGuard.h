#pragma once

#include "driver/core/DriverMessages.h"

#include <exception>

namespace driver::core {

// Starts the library at the first export call (never in the load constructor).
void ensureAttached();

// Runs an export's body: starts the library when needed, and turns any exception into
// a diagnostic line and the export's failure result. Exports never throw.
template <class Result, class Body>
Result guardExport(const char* name, Result failure, Body&& body) noexcept
{
    try {
        ensureAttached();
        return body();
    } catch (const std::exception& e) {
        try {
            debugLog("%s: %s\n", name, e.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            debugLog("%s: unknown failure\n", name);
        } catch (...) {
        }
    }
    return failure;
}

// The same for exports without a result.
template <class Body> void guardExportVoid(const char* name, Body&& body) noexcept
{
    guardExport(name, 0, [&] {
        body();
        return 0;
    });
}

} // namespace driver::core
