#pragma once

namespace driver::core {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace driver::core
