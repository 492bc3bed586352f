#include "toolkit/crypt/ModuleName.h"

namespace toolkit::crypt {

const char* moduleName()
{
    return "toolkit_crypt";
}

} // namespace toolkit::crypt
