#include "platform/chart/ModuleName.h"

namespace platform::chart {

const char* moduleName()
{
    return "platform_chart";
}

} // namespace platform::chart
