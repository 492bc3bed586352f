#include "driver/core/ModuleName.h"

namespace driver::core {

const char* moduleName()
{
    return "VYKDRV32";
}

} // namespace driver::core
