#pragma once

#include "driver/include/vykdrv32.h"

#include <cstdint>
#include <string>

struct MainFramePreferences;

// What the settings dialogs use of the program around them: the main frame, a spectrum
// window's configuration and its view. The program implements them over CMainFrame,
// CSpectrometerConfiguration and CHarluneSpectrumView (the *DialogAdapter classes); tests use
// recording fakes. GUI thread only.

namespace app::dialogs {

// The main frame.
class DialogMainFrame
{
public:
    virtual ~DialogMainFrame() = default;
    // The script's verdict on a user action (a MENUVERIFY value); 0 forbids it.
    virtual int32_t VerifyCommand(int32_t action) = 0;
    // 0 resumes idle scanning and starts the next scan at once; 1 and 2 suspend it.
    virtual void SetAcquisitionSuspended(int32_t state) = 0;
    virtual void SuspendAndStartNextScan() = 0;
    // The "SingleThread" preference; setting it also switches the scan start at once.
    virtual uint32_t singleThread() = 0;
    virtual void setSingleThread(uint32_t singleThread) = 0;
    // The preference record (kept in memory; the main frame writes it when it goes).
    virtual MainFramePreferences& preferenceRecord() = 0;
};

// One spectrum window's spectrometer configuration.
class DialogConfiguration
{
public:
    virtual ~DialogConfiguration() = default;
    virtual uint16_t GetSpectrometerType() = 0;
    virtual uint16_t GetADCType() = 0;
    virtual std::string GetSpectrometerSubType() = 0;
    // 0 disabled, 1 to 7 the last channel of the rotation, plus 256 in plus mode.
    virtual uint16_t GetChannelRotation() = 0;
    // Stores it; pushes the configuration to the driver while auto-apply is on.
    virtual void SetChannelRotation(uint16_t value) = 0;
    // 1 enabled, 0 disabled (channel 0 to 7).
    virtual uint16_t GetChannelEnabled(int channel) = 0;
    virtual void ApplyToDriver() = 0;
};

// A spectrum view: its acquisition settings (the registration record holds integration time,
// microsecond flag and time, averages, boxcar, flash delay, dark correction and trigger
// mode), its flags, its bar refresh, its configuration and its main frame.
class DialogSpectrumView
{
public:
    virtual ~DialogSpectrumView() = default;
    virtual RegistrationRecord& record() = 0;
    virtual int autosaveOnExternalTrigger() = 0;
    virtual void setAutosaveOnExternalTrigger(int value) = 0;
    virtual int strobeEnable() = 0;
    virtual void setStrobeEnable(int value) = 0;
    virtual int mavrinModulation() = 0;
    virtual void setMavrinModulation(int value) = 0;
    // 1 = snapshot mode.
    virtual int snapshotState() = 0;
    virtual void setSnapshotState(int state) = 0;
    // Refills the acquisition bar, clamping the integration time to the view's limits.
    virtual void UpdateAcquisitionBar() = 0;
    virtual DialogConfiguration& configuration() = 0;
    virtual DialogMainFrame& mainFrame() = 0;
};

} // namespace app::dialogs
