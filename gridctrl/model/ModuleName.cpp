#include "gridctrl/model/ModuleName.h"

namespace gridctrl::model {

const char* moduleName()
{
    return "gridctrl_model";
}

} // namespace gridctrl::model
