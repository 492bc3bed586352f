#include "app/automation/I_GraphSettings.h"

#include "app/windows/HarluneGraphView.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneGraphView;

const DispatchTable& I_GraphSettings::table()
{
    static const DispatchTable t = [] {
        using C = I_GraphSettings;
        DispatchBinder<C> b;
        addWindowMembers(b);
        b.method("OpenGraphSettings", &C::OpenGraphSettings, {"Filename"});
        b.method("SaveGraphSettings", &C::SaveGraphSettings, {"Filename"});
        return b.table();
    }();
    return t;
}

bool I_GraphSettings::OpenGraphSettings(const std::string& Filename)
{
    return onView(false, [&](View& v) { return v.OpenGraphSettings(Filename); });
}

bool I_GraphSettings::SaveGraphSettings(const std::string& Filename)
{
    return onView(false, [&](View& v) { return v.SaveGraphSettings(Filename); });
}
