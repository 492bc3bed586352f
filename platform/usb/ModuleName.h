#pragma once

namespace platform::usb {

// Name of this module, for diagnostics.
const char* moduleName();

} // namespace platform::usb
