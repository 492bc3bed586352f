#pragma once

namespace numerics {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace numerics
