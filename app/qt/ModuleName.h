#pragma once

namespace app::qt {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace app::qt
