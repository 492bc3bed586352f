#include "app/automation/I_SpecMiscSettings.h"

#include "app/shell/SpectrometerConfiguration.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;
using Prefs = MainFramePreferences;

const DispatchTable& I_SpecMiscSettings::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecMiscSettings;
        DispatchBinder<C> b;
        b.property("WarnBeforeOverlayCleared", &C::GetWarnBeforeOverlayCleared,
                   &C::SetWarnBeforeOverlayCleared)
            .property("ScopeModeSaturatedWarning", &C::GetScopeModeSaturatedWarning,
                      &C::SetScopeModeSaturatedWarning)
            .property("StoreDarkAndReferenceFor", &C::GetStoreDarkAndReferenceFor,
                      &C::SetStoreDarkAndReferenceFor)
            .property("CopyToolbarFunction", &C::GetCopyToolbarFunction, &C::SetCopyToolbarFunction)
            .property("PercentTransmissionMode", &C::GetPercentTransmissionMode,
                      &C::SetPercentTransmissionMode)
            .property("WhenCopying", &C::GetWhenCopying, &C::SetWhenCopying)
            .property("ScopeModeSaturationThreshold", &C::GetScopeModeSaturationThreshold,
                      &C::SetScopeModeSaturationThreshold);
        addWindowMembers(b);
        return b.table();
    }();
    return t;
}

int16_t I_SpecMiscSettings::low16(uint32_t Prefs::*field)
{
    return onPreferences(int16_t{0}, [&](Prefs& p) { return static_cast<int16_t>(p.*field); });
}

void I_SpecMiscSettings::setFrom16(uint32_t Prefs::*field, int16_t value)
{
    withPreferences([&](Prefs& p) { p.*field = static_cast<uint32_t>(int32_t{value}); });
}

bool I_SpecMiscSettings::GetWarnBeforeOverlayCleared()
{
    return onPreferences(false, [](Prefs& p) { return p.OverlayClearWarning != 0; });
}

void I_SpecMiscSettings::SetWarnBeforeOverlayCleared(bool value)
{
    withPreferences([&](Prefs& p) { p.OverlayClearWarning = value ? 1 : 0; });
}

int16_t I_SpecMiscSettings::GetScopeModeSaturatedWarning()
{
    return low16(&Prefs::ScopeModeSaturatedWarning);
}

void I_SpecMiscSettings::SetScopeModeSaturatedWarning(int16_t value)
{
    setFrom16(&Prefs::ScopeModeSaturatedWarning, value);
}

int16_t I_SpecMiscSettings::GetStoreDarkAndReferenceFor()
{
    return low16(&Prefs::StoreDarkReference);
}

void I_SpecMiscSettings::SetStoreDarkAndReferenceFor(int16_t value)
{
    setFrom16(&Prefs::StoreDarkReference, value);
}

int16_t I_SpecMiscSettings::GetCopyToolbarFunction()
{
    return low16(&Prefs::CopyToolbarButtonFunction);
}

void I_SpecMiscSettings::SetCopyToolbarFunction(int16_t value)
{
    setFrom16(&Prefs::CopyToolbarButtonFunction, value);
}

// The window reads the label the next time it titles the transmission axis; nothing is
// relabelled now.
int16_t I_SpecMiscSettings::GetPercentTransmissionMode()
{
    return onPreferences(int16_t{0},
                         [](Prefs& p) { return static_cast<int16_t>(p.TransmissionModeLabel); });
}

void I_SpecMiscSettings::SetPercentTransmissionMode(int16_t value)
{
    withPreferences([&](Prefs& p) { p.TransmissionModeLabel = static_cast<uint16_t>(value); });
}

int16_t I_SpecMiscSettings::GetWhenCopying()
{
    return low16(&Prefs::CopyIncludeHeader);
}

// The put stores the preference its get reads: whether copies include the header.
void I_SpecMiscSettings::SetWhenCopying(int16_t value)
{
    setFrom16(&Prefs::CopyIncludeHeader, value);
}

double I_SpecMiscSettings::GetScopeModeSaturationThreshold()
{
    return onView(0.0, [](View& v) { return v.configuration().GetScopeModeSaturationThreshold(); });
}

// The target window's own configuration; nothing is pushed to the driver.
void I_SpecMiscSettings::SetScopeModeSaturationThreshold(double value)
{
    withView([&](View& v) { v.configuration().SetScopeModeSaturationThreshold(value); });
}
