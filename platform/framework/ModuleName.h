#pragma once

namespace platform::framework {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace platform::framework
