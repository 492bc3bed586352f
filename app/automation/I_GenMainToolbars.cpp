#include "app/automation/I_GenMainToolbars.h"

#include "app/automation/AutomationFrame.h"
#include "platform/automation/ClassInfo.h"
#include "platform/automation/DispatchBinder.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;

namespace {

constexpr unsigned kGeneralFunctionsBar = 16000;
constexpr unsigned kTundraFunctionsBar = 16001;
constexpr unsigned kGlobalFunctionsBar = 16002;

bool barVisible(unsigned id)
{
    return requireAutomationFrame().controlBarVisible(id).value_or(false);
}

} // namespace

I_GenMainToolbars::I_GenMainToolbars()
    : AutomationObject(platform::automation::findClassByName("I_GenMainToolbars"))
{}

const DispatchTable& I_GenMainToolbars::table()
{
    static const DispatchTable t = [] {
        using C = I_GenMainToolbars;
        DispatchBinder<C> b;
        b.property("GeneralFunctions", &C::GetGeneralFunctions, &C::SetGeneralFunctions)
            .property("GlobalFunctions", &C::GetGlobalFunctions, &C::SetGlobalFunctions)
            .property("TundraFunctions", &C::GetTundraFunctions, &C::SetTundraFunctions);
        return b.table();
    }();
    return t;
}

bool I_GenMainToolbars::GetGeneralFunctions()
{
    return barVisible(kGeneralFunctionsBar);
}

void I_GenMainToolbars::SetGeneralFunctions(bool show)
{
    requireAutomationFrame().showControlBar(kGeneralFunctionsBar, show);
}

bool I_GenMainToolbars::GetGlobalFunctions()
{
    return barVisible(kGlobalFunctionsBar);
}

void I_GenMainToolbars::SetGlobalFunctions(bool show)
{
    requireAutomationFrame().showControlBar(kGlobalFunctionsBar, show);
}

bool I_GenMainToolbars::GetTundraFunctions()
{
    return barVisible(kTundraFunctionsBar);
}

void I_GenMainToolbars::SetTundraFunctions(bool show)
{
    requireAutomationFrame().showControlBar(kTundraFunctionsBar, show);
}
