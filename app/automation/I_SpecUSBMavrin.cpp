#include "app/automation/I_SpecUSBMavrin.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;

const DispatchTable& I_SpecUSBMavrin::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecUSBMavrin;
        DispatchBinder<C> b;
        b.property("LEDOn", &C::GetLEDOn, &C::SetLEDOn)
            .property("LEDModulate", &C::GetLEDModulate, &C::SetLEDModulate)
            .property("AcquireTemperature", &C::GetAcquireTemperature, &C::SetAcquireTemperature)
            .property("TempInDegreesC", &C::GetTempInDegreesC, &C::SetTempInDegreesC)
            .property("IsAttached", &C::GetIsAttached, &C::SetIsAttached);
        addWindowMembers(b);
        b.method("GetTemperature", &C::GetTemperature);
        return b.table();
    }();
    return t;
}

bool I_SpecUSBMavrin::GetLEDOn()
{
    return onView(false, [](View& v) { return v.mavrinLampOn() != 0; });
}

// The lamp flashes with the strobe: the LED setting is also the window's strobe enable, which
// goes into the acquisition record (as the bar's own check box does) and the refresh shows it.
void I_SpecUSBMavrin::SetLEDOn(bool value)
{
    withView([&](View& v) {
        v.setMavrinLampOn(value ? 1 : 0);
        v.setStrobeEnable(value ? 1 : 0);
        v.record().strobeFlashSelect = value ? 1 : 0;
        v.UpdateAcquisitionBar();
    });
}

bool I_SpecUSBMavrin::GetLEDModulate()
{
    return onView(false, [](View& v) { return v.mavrinModulation() != 0; });
}

void I_SpecUSBMavrin::SetLEDModulate(bool value)
{
    withView([&](View& v) {
        v.setMavrinModulation(value ? 1 : 0);
        v.UpdateAcquisitionBar();
    });
}

bool I_SpecUSBMavrin::GetAcquireTemperature()
{
    return onView(false, [](View& v) { return v.mavrinTemperatureReadOut() != 0; });
}

void I_SpecUSBMavrin::SetAcquireTemperature(bool value)
{
    withView([&](View& v) {
        v.setMavrinTemperatureReadOut(value ? 1 : 0);
        v.UpdateAcquisitionBar();
    });
}

bool I_SpecUSBMavrin::GetTempInDegreesC()
{
    return onView(false, [](View& v) { return v.temperatureInCelsius() != 0; });
}

void I_SpecUSBMavrin::SetTempInDegreesC(bool value)
{
    withView([&](View& v) {
        v.setTemperatureInCelsius(value ? 1 : 0);
        v.UpdateAcquisitionBar();
    });
}

bool I_SpecUSBMavrin::GetIsAttached()
{
    return onView(false, [](View& v) { return v.mavrinAttached() != 0; });
}

void I_SpecUSBMavrin::SetIsAttached(bool value)
{
    withView([&](View& v) { v.setMavrinAttached(value ? 1 : 0); });
}

double I_SpecUSBMavrin::GetTemperature()
{
    return onView(0.0, [](View& v) { return static_cast<double>(v.lastTemperature()); });
}
