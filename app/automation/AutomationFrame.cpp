#include "app/automation/AutomationFrame.h"

#include <stdexcept>

namespace {

AutomationFrame* g_frame = nullptr;

} // namespace

AutomationFrame* automationFrame()
{
    return g_frame;
}

void setAutomationFrame(AutomationFrame* frame)
{
    g_frame = frame;
}

AutomationFrame& requireAutomationFrame()
{
    if (!g_frame)
        throw std::runtime_error("the main frame's window is gone");
    return *g_frame;
}
