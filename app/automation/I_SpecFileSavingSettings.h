#pragma once

#include "app/automation/SpectrumSettingsObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>

// "Harlune.SpecFileSavingSettings": the program-wide file-saving preferences of the main
// frame, stored as given (changed in memory for every window at once; the main frame stores
// them when it closes). GUI thread only.
class I_SpecFileSavingSettings : public SpectrumSettingsObject
{
public:
    // FILEFORMAT and SAVEOPENFOR of the type library.
    enum FileFormat : int16_t
    {
        fmtNoHeader = 0,
        fmtStandard = 1,
        fmtSPC = 2,
    };
    enum SaveOpenFor : int16_t
    {
        forAll = 0,
        forSelected = 1,
    };

    static I_SpecFileSavingSettings* create() { return new I_SpecFileSavingSettings(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetAlwaysSaveDark();
    void SetAlwaysSaveDark(bool value);
    bool GetAlwaysSaveReference();
    void SetAlwaysSaveReference(bool value);
    bool GetAlwaysSaveSample();
    void SetAlwaysSaveSample(bool value);
    bool GetAlwaysSaveExperiment();
    void SetAlwaysSaveExperiment(bool value);
    bool GetAlwaysWarnForOverwrite();
    void SetAlwaysWarnForOverwrite(bool value);
    bool GetAlwaysSaveExponential();
    void SetAlwaysSaveExponential(bool value);
    int16_t GetDefaultFileFormat();
    void SetDefaultFileFormat(int16_t value);
    int16_t GetSavedPrecision();
    void SetSavedPrecision(int16_t value);
    int16_t GetSaveFilesFor();
    void SetSaveFilesFor(int16_t value);

private:
    I_SpecFileSavingSettings() : SpectrumSettingsObject("I_SpecFileSavingSettings") {}
    ~I_SpecFileSavingSettings() override = default;

    bool flag(uint32_t MainFramePreferences::*field);
    void setFlag(uint32_t MainFramePreferences::*field, bool value);
};
