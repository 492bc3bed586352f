#include "gridctrl/widgets/ModuleName.h"

namespace gridctrl::widgets {

const char* moduleName()
{
    return "gridctrl_widgets";
}

} // namespace gridctrl::widgets
