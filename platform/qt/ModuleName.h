#pragma once

namespace platform::qt {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace platform::qt
