#include "platform/usb/ModuleName.h"

namespace platform::usb {

const char* moduleName()
{
    return "platform_usb";
}

} // namespace platform::usb
