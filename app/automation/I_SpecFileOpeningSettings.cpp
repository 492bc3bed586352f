#include "app/automation/I_SpecFileOpeningSettings.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using Prefs = MainFramePreferences;

const DispatchTable& I_SpecFileOpeningSettings::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecFileOpeningSettings;
        DispatchBinder<C> b;
        b.property("AcqParameterMismatchWarning", &C::GetAcqParameterMismatchWarning,
                   &C::SetAcqParameterMismatchWarning)
            .property("WavelengthTolerance", &C::GetWavelengthTolerance, &C::SetWavelengthTolerance)
            .property("NoFileHeaderWarning", &C::GetNoFileHeaderWarning, &C::SetNoFileHeaderWarning)
            .property("CheckFileConformity", &C::GetCheckFileConformity,
                      &C::SetCheckFileConformity);
        addWindowMembers(b);
        return b.table();
    }();
    return t;
}

bool I_SpecFileOpeningSettings::flag(uint32_t SpectrumPreferences::*field)
{
    return onPreferences(false, [&](Prefs& p) { return p.spectrum.*field != 0; });
}

void I_SpecFileOpeningSettings::setFlag(uint32_t SpectrumPreferences::*field, bool value)
{
    withPreferences([&](Prefs& p) { p.spectrum.*field = value ? 1 : 0; });
}

bool I_SpecFileOpeningSettings::GetAcqParameterMismatchWarning()
{
    return flag(&SpectrumPreferences::AcquisitionParameterMismatchWarning);
}

void I_SpecFileOpeningSettings::SetAcqParameterMismatchWarning(bool value)
{
    setFlag(&SpectrumPreferences::AcquisitionParameterMismatchWarning, value);
}

double I_SpecFileOpeningSettings::GetWavelengthTolerance()
{
    return onPreferences(0.0, [](Prefs& p) { return p.spectrum.OpenFileWavelengthTolerance; });
}

void I_SpecFileOpeningSettings::SetWavelengthTolerance(double value)
{
    withPreferences([&](Prefs& p) { p.spectrum.OpenFileWavelengthTolerance = value; });
}

bool I_SpecFileOpeningSettings::GetNoFileHeaderWarning()
{
    return flag(&SpectrumPreferences::NoFileHeaderWarning);
}

void I_SpecFileOpeningSettings::SetNoFileHeaderWarning(bool value)
{
    setFlag(&SpectrumPreferences::NoFileHeaderWarning, value);
}

bool I_SpecFileOpeningSettings::GetCheckFileConformity()
{
    return flag(&SpectrumPreferences::CheckFileConformity);
}

void I_SpecFileOpeningSettings::SetCheckFileConformity(bool value)
{
    setFlag(&SpectrumPreferences::CheckFileConformity, value);
}
