#pragma once

#include "app/automation/SpectrumAutomationObject.h"
#include "platform/automation/DispatchBinder.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <source_location>

class CHarluneSpectrumView;

// "Harlune.SpecAcquisitionParameters": the acquisition parameters of the target spectrum
// window, which its next scan uses. A put saturates at the range of the registration-record
// field that keeps the value (integration time 0 to 65535 ms; averages, boxcar and flash delay
// 0 to 32767), stores any non-zero BOOL as TRUE and refreshes the acquisition bar (except
// AutosaveOnExternalTrigger). No put starts or stops acquisition. GUI thread only.
class I_SpecAcquisitionParameters : public SpectrumAutomationObject
{
public:
    static constexpr int16_t kAllChannels = 99;

    static I_SpecAcquisitionParameters* create() { return new I_SpecAcquisitionParameters(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    int32_t GetIntegrationTime();
    void SetIntegrationTime(int32_t ms);
    int16_t GetAverages();
    void SetAverages(int16_t scans);
    int16_t GetBoxcar();
    void SetBoxcar(int16_t halfWidth);
    bool GetCorrectForElectricalDark();
    void SetCorrectForElectricalDark(bool on);
    int16_t GetExternalTriggerMode();
    void SetExternalTriggerMode(int16_t mode);
    bool GetStrobeEnable();
    void SetStrobeEnable(bool on);
    bool GetAutosaveOnExternalTrigger();
    void SetAutosaveOnExternalTrigger(bool on);
    int32_t GetFlashDelay();
    void SetFlashDelay(int32_t delay);

    // The window's Configure Data Acquisition command, as from the menu.
    void ShowConfigurationDialog();
    // What the driver reported when the main frame last started a scan.
    int32_t GetActualIntegrationTime();
    // Channel 0 to 7, or 99 for every channel on a put: the configuration's and the view's
    // channel enables, the wavelength axes, the chart's X range and the legend follow.
    bool GetChannelEnabled(int16_t channel);
    void SetChannelEnabled(int16_t channel, bool enabled);

private:
    I_SpecAcquisitionParameters() : SpectrumAutomationObject("I_SpecAcquisitionParameters") {}
    ~I_SpecAcquisitionParameters() override = default;

    // Runs body(view) for a put, then refreshes the acquisition bar when refresh is set.
    template <class F>
    void put(F&& body, bool refresh = true,
             std::source_location where = std::source_location::current());
};
