#pragma once

namespace toolkit::widgets {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace toolkit::widgets
