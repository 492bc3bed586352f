#include "app/core/ModuleName.h"

namespace app::core {

const char* moduleName()
{
    return "app_core";
}

} // namespace app::core
