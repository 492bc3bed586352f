#include "app/automation/I_SpecUSBNorrel.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;

const DispatchTable& I_SpecUSBNorrel::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecUSBNorrel;
        DispatchBinder<C> b;
        b.property("LampOn", &C::GetLampOn, &C::SetLampOn)
            .property("VisibleLampIntensity", &C::GetVisibleLampIntensity,
                      &C::SetVisibleLampIntensity)
            .property("UVLampIntensity", &C::GetUVLampIntensity, &C::SetUVLampIntensity)
            .property("ShutterOpen", &C::GetShutterOpen, &C::SetShutterOpen)
            .property("VisibleLampOn", &C::GetVisibleLampOn, &C::SetVisibleLampOn);
        addWindowMembers(b);
        b.method("StoreCurrentIntensityValues", &C::StoreCurrentIntensityValues);
        return b.table();
    }();
    return t;
}
