#include "platform/framework/ModuleName.h"

namespace platform::framework {

const char* moduleName()
{
    return "platform_framework";
}

} // namespace platform::framework
