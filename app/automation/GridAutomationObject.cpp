#include "app/automation/GridAutomationObject.h"

bool GridAutomationObject::SetGridActive()
{
    return m_selection.GetTargetView() != 0;
}

bool GridAutomationObject::SetGridByName(const std::string& title)
{
    return m_selection.SetByName(title) != 0;
}
