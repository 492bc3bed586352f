#include "app/automation/I_SpecFileSavingSettings.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using Prefs = MainFramePreferences;

const DispatchTable& I_SpecFileSavingSettings::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecFileSavingSettings;
        DispatchBinder<C> b;
        b.property("AlwaysSaveDark", &C::GetAlwaysSaveDark, &C::SetAlwaysSaveDark)
            .property("AlwaysSaveReference", &C::GetAlwaysSaveReference, &C::SetAlwaysSaveReference)
            .property("AlwaysSaveSample", &C::GetAlwaysSaveSample, &C::SetAlwaysSaveSample)
            .property("AlwaysSaveExperiment", &C::GetAlwaysSaveExperiment,
                      &C::SetAlwaysSaveExperiment)
            .property("AlwaysWarnForOverwrite", &C::GetAlwaysWarnForOverwrite,
                      &C::SetAlwaysWarnForOverwrite)
            .property("AlwaysSaveExponential", &C::GetAlwaysSaveExponential,
                      &C::SetAlwaysSaveExponential)
            .property("DefaultFileFormat", &C::GetDefaultFileFormat, &C::SetDefaultFileFormat)
            .property("SavedPrecision", &C::GetSavedPrecision, &C::SetSavedPrecision)
            .property("SaveFilesFor", &C::GetSaveFilesFor, &C::SetSaveFilesFor);
        addWindowMembers(b);
        return b.table();
    }();
    return t;
}

bool I_SpecFileSavingSettings::flag(uint32_t Prefs::*field)
{
    return onPreferences(false, [&](Prefs& p) { return p.*field != 0; });
}

void I_SpecFileSavingSettings::setFlag(uint32_t Prefs::*field, bool value)
{
    withPreferences([&](Prefs& p) { p.*field = value ? 1 : 0; });
}

bool I_SpecFileSavingSettings::GetAlwaysSaveDark()
{
    return flag(&Prefs::AlwaysSaveDark);
}

void I_SpecFileSavingSettings::SetAlwaysSaveDark(bool value)
{
    setFlag(&Prefs::AlwaysSaveDark, value);
}

bool I_SpecFileSavingSettings::GetAlwaysSaveReference()
{
    return flag(&Prefs::AlwaysSaveReference);
}

void I_SpecFileSavingSettings::SetAlwaysSaveReference(bool value)
{
    setFlag(&Prefs::AlwaysSaveReference, value);
}

bool I_SpecFileSavingSettings::GetAlwaysSaveSample()
{
    return flag(&Prefs::AlwaysSaveSample);
}

void I_SpecFileSavingSettings::SetAlwaysSaveSample(bool value)
{
    setFlag(&Prefs::AlwaysSaveSample, value);
}

bool I_SpecFileSavingSettings::GetAlwaysSaveExperiment()
{
    return flag(&Prefs::AlwaysSaveExperiment);
}

void I_SpecFileSavingSettings::SetAlwaysSaveExperiment(bool value)
{
    setFlag(&Prefs::AlwaysSaveExperiment, value);
}

bool I_SpecFileSavingSettings::GetAlwaysWarnForOverwrite()
{
    return onPreferences(false, [](Prefs& p) { return p.spectrum.FileOverwriteWarning != 0; });
}

void I_SpecFileSavingSettings::SetAlwaysWarnForOverwrite(bool value)
{
    withPreferences([&](Prefs& p) { p.spectrum.FileOverwriteWarning = value ? 1 : 0; });
}

bool I_SpecFileSavingSettings::GetAlwaysSaveExponential()
{
    return onPreferences(false, [](Prefs& p) { return p.spectrum.AlwaysExponential != 0; });
}

void I_SpecFileSavingSettings::SetAlwaysSaveExponential(bool value)
{
    withPreferences([&](Prefs& p) { p.spectrum.AlwaysExponential = value ? 1 : 0; });
}

// The three 32-bit preferences below cross the interface as 16 bits: the getters answer the
// low 16 bits, and a put is stored sign-extended, so a negative value reads back unchanged.
// Values outside the enumerations are stored as given; a save decides what to do with them.
int16_t I_SpecFileSavingSettings::GetDefaultFileFormat()
{
    return onPreferences(int16_t{0},
                         [](Prefs& p) { return static_cast<int16_t>(p.DefaultFileFormat); });
}

void I_SpecFileSavingSettings::SetDefaultFileFormat(int16_t value)
{
    withPreferences([&](Prefs& p) { p.DefaultFileFormat = static_cast<uint32_t>(int32_t{value}); });
}

int16_t I_SpecFileSavingSettings::GetSavedPrecision()
{
    return onPreferences(
        int16_t{0}, [](Prefs& p) { return static_cast<int16_t>(p.spectrum.DefaultSavePrecision); });
}

void I_SpecFileSavingSettings::SetSavedPrecision(int16_t value)
{
    withPreferences([&](Prefs& p) { p.spectrum.DefaultSavePrecision = value; });
}

int16_t I_SpecFileSavingSettings::GetSaveFilesFor()
{
    return onPreferences(int16_t{0},
                         [](Prefs& p) { return static_cast<int16_t>(p.SaveFilesForSelected); });
}

void I_SpecFileSavingSettings::SetSaveFilesFor(int16_t value)
{
    withPreferences(
        [&](Prefs& p) { p.SaveFilesForSelected = static_cast<uint32_t>(int32_t{value}); });
}
