#include "app/qt/ModuleName.h"

namespace app::qt {

const char* moduleName()
{
    return "app_qt";
}

} // namespace app::qt
