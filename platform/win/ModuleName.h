#pragma once

namespace platform::win {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace platform::win
