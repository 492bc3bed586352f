#pragma once

#include "app/automation/SpectrumAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>

// "Harlune.SpecTimeAcquisition": the target spectrum window's time acquisition: its mode, its
// run (start, stop, pause), the current sample's index, time and results, and its Save Data
// command. The switches run the window's menu commands, so the script's VerifyMenu is asked as
// from the menu. GUI thread only.
class I_SpecTimeAcquisition : public SpectrumAutomationObject
{
public:
    static I_SpecTimeAcquisition* create() { return new I_SpecTimeAcquisition(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetRunning();
    // 1 (or TRUE) starts a run, any other value stops it.
    void SetRunning(platform::automation::BoolValue value);
    bool GetPaused();
    void SetPaused(bool value);
    bool GetActivated();
    // 1 (or TRUE) wants the mode on, any other value off.
    void SetActivated(platform::automation::BoolValue value);
    bool GetSuspendGraphUpdate();
    void SetSuspendGraphUpdate(bool value);
    int32_t GetIndex();
    // Results 0 to 5 are channels A to F, 6 and 7 the combinations.
    double GetResult(int16_t index);
    double GetTime();
    void SaveData();
    bool SetResult(int16_t index, double value);

private:
    I_SpecTimeAcquisition() : SpectrumAutomationObject("I_SpecTimeAcquisition") {}
    ~I_SpecTimeAcquisition() override = default;
};
