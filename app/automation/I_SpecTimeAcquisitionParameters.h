#pragma once

#include "app/automation/SpectrumAutomationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.SpecTimeAcquisitionParameters": the target spectrum window's time-acquisition
// settings (streaming and its file, saving, the three intervals with their units). A put
// stores the value; the window uses it from its next run or sample on. GUI thread only.
class I_SpecTimeAcquisitionParameters : public SpectrumAutomationObject
{
public:
    static I_SpecTimeAcquisitionParameters* create()
    {
        return new I_SpecTimeAcquisitionParameters();
    }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetStreamDataToDisk();
    void SetStreamDataToDisk(bool value);
    bool GetShowValuesInStatusBar();
    void SetShowValuesInStatusBar(bool value);
    int16_t GetWriteToDiskEveryXAcq();
    void SetWriteToDiskEveryXAcq(int16_t value);
    std::string GetStreamFilename();
    void SetStreamFilename(const std::string& value);
    bool GetSaveFullSpectrum();
    void SetSaveFullSpectrum(bool value);
    bool GetSaveEveryAcquisition();
    void SetSaveEveryAcquisition(bool value);
    bool GetContinueUntilManuallyStopped();
    void SetContinueUntilManuallyStopped(bool value);
    int32_t GetInitialDelay();
    void SetInitialDelay(int32_t value);
    int16_t GetInitialDelayUnits();
    void SetInitialDelayUnits(int16_t value);
    int32_t GetFrequency();
    void SetFrequency(int32_t value);
    int16_t GetFrequencyUnits();
    void SetFrequencyUnits(int16_t value);
    int32_t GetDuration();
    void SetDuration(int32_t value);
    int16_t GetDurationUnits();
    void SetDurationUnits(int16_t value);

private:
    I_SpecTimeAcquisitionParameters() : SpectrumAutomationObject("I_SpecTimeAcquisitionParameters")
    {}
    ~I_SpecTimeAcquisitionParameters() override = default;

    // Reads and writes one field of the target's settings.
    template <class R, class F> R read(R neutral, F&& field);
    template <class F> void write(F&& field);
};
