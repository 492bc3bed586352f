#include "app/automation/I_SpecEmergency.h"

#include "app/shell/MainFrame.h"
#include "app/spectrum/HarluneSpectrumView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;

const DispatchTable& I_SpecEmergency::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecEmergency;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.method("Reset", &C::Reset)
            .method("GlobalReset", &C::GlobalReset)
            .method("Kickstart", &C::Kickstart);
        return b.table();
    }();
    return t;
}

void I_SpecEmergency::Reset()
{
    onView(false, [](View& v) {
        v.OnEmergencyReset();
        return true;
    });
}

void I_SpecEmergency::GlobalReset()
{
    onView(false, [](View&) {
        requireAutomationFrame().core().OnGlobalEmergencyReset();
        return true;
    });
}

void I_SpecEmergency::Kickstart()
{
    onView(false, [](View&) {
        requireAutomationFrame().core().OnKickStart();
        return true;
    });
}
