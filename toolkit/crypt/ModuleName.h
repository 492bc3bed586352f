#pragma once

namespace toolkit::crypt {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace toolkit::crypt
