#pragma once

#include "app/automation/SpectrumSettingsObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.SpecSpectrometer": the target spectrum window's spectrometer configuration: its
// dialog, saving and opening ".spec" files (opening pushes the file to the driver and rebuilds
// the wavelength axes), pushing the configuration to the driver, and the pixel count. The
// dialog members run the window's menu commands, so the script's VerifyMenu is asked as from
// the menu. GUI thread only.
class I_SpecSpectrometer : public SpectrumSettingsObject
{
public:
    static I_SpecSpectrometer* create() { return new I_SpecSpectrometer(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    void ShowConfigurationDialog();
    // FALSE when the file could not be written (the name then does not become current).
    bool SaveConfigurationAs(const std::string& file, bool makeCurrent);
    // FALSE when the file cannot be read; the window then keeps its configuration.
    bool OpenConfiguration(const std::string& file, bool makeCurrent);
    void ShowSaveConfigurationDialog();
    void ShowOpenConfigurationDialog();
    // Pushes the configuration into the driver and has the window read the connected device's
    // coefficients again at the driver's next coefficients notice.
    void LockConfiguration();
    int16_t GetNumberOfPixels();

private:
    I_SpecSpectrometer() : SpectrumSettingsObject("I_SpecSpectrometer") {}
    ~I_SpecSpectrometer() override = default;
};
