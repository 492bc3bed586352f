#pragma once

namespace platform::portio {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace platform::portio
