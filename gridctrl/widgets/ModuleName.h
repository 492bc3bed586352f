#pragma once

namespace gridctrl::widgets {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace gridctrl::widgets
