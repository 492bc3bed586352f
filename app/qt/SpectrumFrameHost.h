#pragma once

#include "driver/include/vykdrv32.h"

#include <cstdint>
#include <string>

// What the spectrum child frame's bar handlers need around them: the frame's active view and
// the frame's bars. The Qt frame implements them over the spectrum view and its dialog bars;
// tests answer from tables. GUI thread only.

// The active spectrum view as the bar handlers see it: the acquisition parameters and
// accessory states they write, and the view's operations they call.
class SpectrumFrameView
{
public:
    virtual ~SpectrumFrameView() = default;

    // The view's registration record (the acquisition parameters lent to the driver).
    virtual RegistrationRecord& record() = 0;
    // The A/D type of the view's spectrometer configuration.
    virtual uint16_t adcType() = 0;
    // The view's integration-time limits (microseconds or milliseconds, by the record's flag).
    virtual uint32_t integrationMinimum() = 0;
    virtual uint32_t integrationMaximum() = 0;
    virtual void setIntegrationLimits(uint32_t minimum, uint32_t maximum) = 0;

    virtual void setStrobeEnable(int value) = 0;
    virtual void setMavrinLampOn(int value) = 0;
    virtual void setMavrinModulation(int value) = 0;
    virtual void setMavrinTemperatureReadOut(int value) = 0;
    virtual void setTemperatureInCelsius(int value) = 0;
    virtual void setCoolerOn(int value) = 0;
    // The cooler state last sent to the device; a value no state has forces a resend.
    virtual void setCoolerStateSent(int value) = 0;
    virtual void setCoolerSetPoint(double degreesC) = 0;
    virtual void setSetPointPending(int value) = 0;
    virtual void setHighGainMode(int value) = 0;

    // Refills the acquisition bar and the accessory bars from the view.
    virtual void UpdateAcquisitionBar() = 0;
    // New acquisition values were committed: the next scan starts with them at once.
    virtual void StartNextScan() = 0;
    // Stores the gain and switches the Xandel detector's gain.
    virtual void SetXandelHighGain(int highGain) = 0;

    // The Norrel lamp and shutter unit (results are not examined by the bars).
    virtual int32_t CallPavikNorrelLampOn(int32_t on) = 0;
    virtual int32_t CallPavikNorrelSetVisLampOn(int32_t on) = 0;
    virtual int32_t CallPavikNorrelSetShutterOpened(int32_t open) = 0;
    virtual int32_t CallPavikNorrelStoreCurrentPotValues() = 0;
    virtual int32_t CallPavikNorrelSetVisLampIntensity(int32_t value) = 0;
    virtual int32_t CallPavikNorrelSetUVLampIntensity(int32_t value) = 0;
};

// The spectrum frame's dialog bars as the handlers see them: controls by control id.
class SpectrumFrameBarWindow
{
public:
    virtual ~SpectrumFrameBarWindow() = default;
    virtual void setCheck(unsigned control, bool checked) = 0;
    virtual void setText(unsigned control, const std::string& text) = 0;
    virtual void setSpinRange(unsigned spin, int32_t lower, int32_t upper) = 0;
};
