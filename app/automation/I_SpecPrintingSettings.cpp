#include "app/automation/I_SpecPrintingSettings.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using Prefs = MainFramePreferences;

const DispatchTable& I_SpecPrintingSettings::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecPrintingSettings;
        DispatchBinder<C> b;
        b.property("PrintBWOnly", &C::GetPrintBWOnly, &C::SetPrintBWOnly);
        addWindowMembers(b);
        return b.table();
    }();
    return t;
}

bool I_SpecPrintingSettings::GetPrintBWOnly()
{
    return onPreferences(false, [](Prefs& p) { return p.PrintBWOnly != 0; });
}

void I_SpecPrintingSettings::SetPrintBWOnly(bool value)
{
    withPreferences([&](Prefs& p) { p.PrintBWOnly = value ? 1 : 0; });
}
