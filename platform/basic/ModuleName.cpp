#include "platform/basic/ModuleName.h"

namespace platform::basic {

const char* moduleName()
{
    return "platform_basic";
}

} // namespace platform::basic
