#include "platform/qt/ModuleName.h"

namespace platform::qt {

const char* moduleName()
{
    return "platform_qt";
}

} // namespace platform::qt
