#include "app/automation/GraphAutomationObject.h"

bool GraphAutomationObject::SetGraphActive()
{
    return m_selection.GetTargetView() != 0;
}

bool GraphAutomationObject::SetGraphByName(const std::string& title)
{
    return m_selection.SetByName(title) != 0;
}
