#include "platform/automation/ModuleName.h"

namespace platform::automation {

const char* moduleName()
{
    return "platform_automation";
}

} // namespace platform::automation
