#pragma once

namespace platform::automation {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace platform::automation
