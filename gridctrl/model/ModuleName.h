#pragma once

namespace gridctrl::model {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace gridctrl::model
