#pragma once

#include "app/automation/SpectrumSettingsObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.SpecAutoincrementFilename": the target spectrum window's autoincrement settings,
// stored only (the window's next save uses them), its prepared next file name as it stands,
// and its autoincrement dialog. GUI thread only.
class I_SpecAutoincrementFilename : public SpectrumSettingsObject
{
public:
    static I_SpecAutoincrementFilename* create() { return new I_SpecAutoincrementFilename(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetEnabled();
    void SetEnabled(bool value);
    bool GetShowNextFilename();
    void SetShowNextFilename(bool value);
    int32_t GetIndex();
    void SetIndex(int32_t value);
    std::string GetBaseFilename();
    void SetBaseFilename(const std::string& base);
    std::string GetNextFilename();
    bool ShowConfigurationDialog();

private:
    I_SpecAutoincrementFilename() : SpectrumSettingsObject("I_SpecAutoincrementFilename") {}
    ~I_SpecAutoincrementFilename() override = default;
};
