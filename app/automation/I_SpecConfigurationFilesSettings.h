#pragma once

#include "app/automation/SpectrumSettingsObject.h"
#include "platform/automation/DispatchTable.h"

#include <string>

// "Harlune.SpecConfigFilesSettings": the target spectrum window's default display,
// spectrometer and time-acquisition settings files (a name longer than its 260-byte field is
// refused, the window keeping its file) and the program-wide autosave preferences of those
// settings. Stored only; the window uses them at its next load or save. GUI thread only.
class I_SpecConfigurationFilesSettings : public SpectrumSettingsObject
{
public:
    static I_SpecConfigurationFilesSettings* create()
    {
        return new I_SpecConfigurationFilesSettings();
    }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    std::string GetDefaultDisplaySettingsFile();
    void SetDefaultDisplaySettingsFile(const std::string& path);
    bool GetAutosaveDisplaySettings();
    void SetAutosaveDisplaySettings(bool value);
    std::string GetDefaultSpectrometerSettingsFile();
    void SetDefaultSpectrometerSettingsFile(const std::string& path);
    std::string GetDefaultTimeAcqSettingsFile();
    void SetDefaultTimeAcqSettingsFile(const std::string& path);
    bool GetAutosaveTimeAcqSettings();
    void SetAutosaveTimeAcqSettings(bool value);

private:
    I_SpecConfigurationFilesSettings() : SpectrumSettingsObject("I_SpecConfigurationFilesSettings")
    {}
    ~I_SpecConfigurationFilesSettings() override = default;
};
