#include "platform/portio/ModuleName.h"

namespace platform::portio {

const char* moduleName()
{
    return "platform_portio";
}

} // namespace platform::portio
