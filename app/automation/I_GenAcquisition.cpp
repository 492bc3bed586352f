#include "app/automation/I_GenAcquisition.h"

#include "app/automation/AutomationFrame.h"
#include "app/shell/MainFrame.h"
#include "platform/automation/ClassInfo.h"
#include "platform/automation/DispatchBinder.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;

I_GenAcquisition::I_GenAcquisition()
    : AutomationObject(platform::automation::findClassByName("I_GenAcquisition"))
{}

const DispatchTable& I_GenAcquisition::table()
{
    static const DispatchTable t = [] {
        using C = I_GenAcquisition;
        DispatchBinder<C> b;
        b.method("HaltAcquisition", &C::HaltAcquisition)
            .method("StartAcquisition", &C::StartAcquisition)
            .method("GetAcquisitionHalted", &C::GetAcquisitionHalted)
            .method("GetNextAcquisition", &C::GetNextAcquisition)
            .method("GetAcquisitionForWindow", &C::GetAcquisitionForWindow, {"windowname"});
        return b.table();
    }();
    return t;
}

bool I_GenAcquisition::HaltAcquisition()
{
    requireAutomationFrame().core().SetAcquisitionSuspended(2);
    return true;
}

bool I_GenAcquisition::StartAcquisition()
{
    requireAutomationFrame().core().SetAcquisitionSuspended(0);
    return true;
}

int32_t I_GenAcquisition::GetAcquisitionHalted()
{
    return requireAutomationFrame().core().GetAcquisitionSuspended();
}

bool I_GenAcquisition::GetNextAcquisition()
{
    requireAutomationFrame().core().SuspendAndStartNextScan();
    return true;
}

bool I_GenAcquisition::GetAcquisitionForWindow(const std::string& windowname)
{
    return requireAutomationFrame().core().StartScanForWindow(windowname);
}
