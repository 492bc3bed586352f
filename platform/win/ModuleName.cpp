#include "platform/win/ModuleName.h"

namespace platform::win {

const char* moduleName()
{
    return "platform_win";
}

} // namespace platform::win
