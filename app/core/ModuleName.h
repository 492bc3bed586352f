#pragma once

namespace app::core {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace app::core
