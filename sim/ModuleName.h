#pragma once

namespace sim {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace sim
