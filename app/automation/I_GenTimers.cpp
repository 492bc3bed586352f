#include "app/automation/I_GenTimers.h"

#include "app/automation/AutomationFrame.h"
#include "app/shell/MainFrame.h"
#include "platform/automation/ClassInfo.h"
#include "platform/automation/DispatchBinder.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;

namespace {

bool isScriptTimer(int16_t id)
{
    return id >= I_GenTimers::kFirstId && id <= I_GenTimers::kLastId;
}

unsigned frameTimer(int16_t id)
{
    return CMainFrame::kFirstScriptTimer + static_cast<unsigned>(id);
}

} // namespace

I_GenTimers::I_GenTimers() : AutomationObject(platform::automation::findClassByName("I_GenTimers"))
{}

const DispatchTable& I_GenTimers::table()
{
    static const DispatchTable t = [] {
        using C = I_GenTimers;
        DispatchBinder<C> b;
        b.method("SetTimer", &C::SetTimer, {"id", "msec"})
            .method("KillTimer", &C::KillTimer, {"id"});
        return b.table();
    }();
    return t;
}

bool I_GenTimers::SetTimer(int16_t id, int32_t msec)
{
    if (!isScriptTimer(id) || msec < 0)
        return false;
    requireAutomationFrame().setTimer(frameTimer(id), static_cast<unsigned>(msec));
    return true;
}

bool I_GenTimers::KillTimer(int16_t id)
{
    if (!isScriptTimer(id))
        return false;
    requireAutomationFrame().killTimer(frameTimer(id));
    return true;
}
