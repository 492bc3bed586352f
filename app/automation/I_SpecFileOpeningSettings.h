#pragma once

#include "app/automation/SpectrumSettingsObject.h"
#include "platform/automation/DispatchTable.h"

// "Harlune.SpecFileOpeningSettings": the program-wide file-opening preferences of the main
// frame, stored as given (changed in memory for every window at once; the main frame stores
// them when it closes). GUI thread only.
class I_SpecFileOpeningSettings : public SpectrumSettingsObject
{
public:
    static I_SpecFileOpeningSettings* create() { return new I_SpecFileOpeningSettings(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetAcqParameterMismatchWarning();
    void SetAcqParameterMismatchWarning(bool value);
    double GetWavelengthTolerance();
    void SetWavelengthTolerance(double value);
    bool GetNoFileHeaderWarning();
    void SetNoFileHeaderWarning(bool value);
    bool GetCheckFileConformity();
    void SetCheckFileConformity(bool value);

private:
    I_SpecFileOpeningSettings() : SpectrumSettingsObject("I_SpecFileOpeningSettings") {}
    ~I_SpecFileOpeningSettings() override = default;

    bool flag(uint32_t SpectrumPreferences::*field);
    void setFlag(uint32_t SpectrumPreferences::*field, bool value);
};
