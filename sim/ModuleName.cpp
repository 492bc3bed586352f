#include "sim/ModuleName.h"

namespace sim {

const char* moduleName()
{
    return "sim";
}

} // namespace sim
