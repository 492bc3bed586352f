#include "app/automation/I_SpecSoundsSettings.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using Prefs = MainFramePreferences;

const DispatchTable& I_SpecSoundsSettings::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecSoundsSettings;
        DispatchBinder<C> b;
        b.property("Enabled", &C::GetEnabled, &C::SetEnabled)
            .property("SaveDark", &C::GetSaveDark, &C::SetSaveDark)
            .property("SaveReference", &C::GetSaveReference, &C::SetSaveReference)
            .property("SaveSample", &C::GetSaveSample, &C::SetSaveSample)
            .property("SaveExperiment", &C::GetSaveExperiment, &C::SetSaveExperiment)
            .property("StoreDark", &C::GetStoreDark, &C::SetStoreDark)
            .property("StoreReference", &C::GetStoreReference, &C::SetStoreReference)
            .property("ScopeModeSaturated", &C::GetScopeModeSaturated, &C::SetScopeModeSaturated)
            .property("Warning", &C::GetWarning, &C::SetWarning)
            .property("Error", &C::GetError, &C::SetError);
        addWindowMembers(b);
        return b.table();
    }();
    return t;
}

bool I_SpecSoundsSettings::GetEnabled()
{
    return onPreferences(false, [](Prefs& p) { return p.spectrum.SoundEnabled != 0; });
}

void I_SpecSoundsSettings::SetEnabled(bool value)
{
    withPreferences([&](Prefs& p) { p.spectrum.SoundEnabled = value ? 1 : 0; });
}

std::string I_SpecSoundsSettings::sound(Sound which, std::source_location where)
{
    return onPreferences(
        std::string(), [&](Prefs& p) { return p.sounds[which]; }, where);
}

void I_SpecSoundsSettings::setSound(Sound which, const std::string& file,
                                    std::source_location where)
{
    withPreferences(
        [&](Prefs& p) {
            if (fitsPath(file))
                p.sounds[which] = file;
        },
        where);
}

// "Warning" is the one sound the spectrum windows' own preferences hold.
std::string I_SpecSoundsSettings::GetWarning()
{
    return onPreferences(std::string(), [](Prefs& p) { return p.spectrum.WarningSound; });
}

void I_SpecSoundsSettings::SetWarning(const std::string& file)
{
    withPreferences([&](Prefs& p) {
        if (fitsPath(file))
            p.spectrum.WarningSound = file;
    });
}
