#include "toolkit/widgets/ModuleName.h"

namespace toolkit::widgets {

const char* moduleName()
{
    return "toolkit";
}

} // namespace toolkit::widgets
