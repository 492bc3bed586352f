#include "numerics/ModuleName.h"

namespace numerics {

const char* moduleName()
{
    return "numerics";
}

} // namespace numerics
