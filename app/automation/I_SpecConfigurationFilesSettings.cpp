#include "app/automation/I_SpecConfigurationFilesSettings.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using View = CHarluneSpectrumView;
using Prefs = MainFramePreferences;

const DispatchTable& I_SpecConfigurationFilesSettings::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecConfigurationFilesSettings;
        DispatchBinder<C> b;
        b.property("DefaultDisplaySettingsFile", &C::GetDefaultDisplaySettingsFile,
                   &C::SetDefaultDisplaySettingsFile)
            .property("AutosaveDisplaySettings", &C::GetAutosaveDisplaySettings,
                      &C::SetAutosaveDisplaySettings)
            .property("DefaultSpectrometerSettingsFile", &C::GetDefaultSpectrometerSettingsFile,
                      &C::SetDefaultSpectrometerSettingsFile)
            .property("DefaultTimeAcqSettingsFile", &C::GetDefaultTimeAcqSettingsFile,
                      &C::SetDefaultTimeAcqSettingsFile)
            .property("AutosaveTimeAcqSettings", &C::GetAutosaveTimeAcqSettings,
                      &C::SetAutosaveTimeAcqSettings);
        addWindowMembers(b);
        return b.table();
    }();
    return t;
}

std::string I_SpecConfigurationFilesSettings::GetDefaultDisplaySettingsFile()
{
    return onView(std::string(), [](View& v) { return v.displaySettingsFile(); });
}

void I_SpecConfigurationFilesSettings::SetDefaultDisplaySettingsFile(const std::string& path)
{
    withView([&](View& v) {
        if (fitsPath(path))
            v.setDisplaySettingsFile(path);
    });
}

bool I_SpecConfigurationFilesSettings::GetAutosaveDisplaySettings()
{
    return onPreferences(false, [](Prefs& p) { return p.AlwaysSaveDisplaySettings != 0; });
}

void I_SpecConfigurationFilesSettings::SetAutosaveDisplaySettings(bool value)
{
    withPreferences([&](Prefs& p) { p.AlwaysSaveDisplaySettings = value ? 1 : 0; });
}

std::string I_SpecConfigurationFilesSettings::GetDefaultSpectrometerSettingsFile()
{
    return onView(std::string(), [](View& v) { return v.configurationFile(); });
}

void I_SpecConfigurationFilesSettings::SetDefaultSpectrometerSettingsFile(const std::string& path)
{
    withView([&](View& v) {
        if (fitsPath(path))
            v.setConfigurationFile(path);
    });
}

std::string I_SpecConfigurationFilesSettings::GetDefaultTimeAcqSettingsFile()
{
    return onView(std::string(), [](View& v) { return v.timeAcquisitionFile(); });
}

void I_SpecConfigurationFilesSettings::SetDefaultTimeAcqSettingsFile(const std::string& path)
{
    withView([&](View& v) {
        if (fitsPath(path))
            v.setTimeAcquisitionFile(path);
    });
}

bool I_SpecConfigurationFilesSettings::GetAutosaveTimeAcqSettings()
{
    return onPreferences(false, [](Prefs& p) { return p.AlwaysSaveTimeParameters != 0; });
}

void I_SpecConfigurationFilesSettings::SetAutosaveTimeAcqSettings(bool value)
{
    withPreferences([&](Prefs& p) { p.AlwaysSaveTimeParameters = value ? 1 : 0; });
}
