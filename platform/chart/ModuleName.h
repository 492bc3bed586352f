#pragma once

namespace platform::chart {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace platform::chart
