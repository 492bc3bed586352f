#pragma once

namespace platform::basic {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace platform::basic
