#pragma once

#include "app/qt/SpectrumFrameHost.h"

class CHarluneSpectrumView;

// The spectrum view as the frame's bar handlers see it: forwards to CHarluneSpectrumView.
// GUI thread only.
class SpectrumViewBarAdapter : public SpectrumFrameView
{
public:
    explicit SpectrumViewBarAdapter(CHarluneSpectrumView& view) : m_view(view) {}

    CHarluneSpectrumView& view() const { return m_view; }

    RegistrationRecord& record() override;
    uint16_t adcType() override;
    uint32_t integrationMinimum() override;
    uint32_t integrationMaximum() override;
    void setIntegrationLimits(uint32_t minimum, uint32_t maximum) override;
    void setStrobeEnable(int value) override;
    void setMavrinLampOn(int value) override;
    void setMavrinModulation(int value) override;
    void setMavrinTemperatureReadOut(int value) override;
    void setTemperatureInCelsius(int value) override;
    void setCoolerOn(int value) override;
    void setCoolerStateSent(int value) override;
    void setCoolerSetPoint(double degreesC) override;
    void setSetPointPending(int value) override;
    void setHighGainMode(int value) override;
    void UpdateAcquisitionBar() override;
    void StartNextScan() override;
    void SetXandelHighGain(int highGain) override;
    int32_t CallPavikNorrelLampOn(int32_t on) override;
    int32_t CallPavikNorrelSetVisLampOn(int32_t on) override;
    int32_t CallPavikNorrelSetShutterOpened(int32_t open) override;
    int32_t CallPavikNorrelStoreCurrentPotValues() override;
    int32_t CallPavikNorrelSetVisLampIntensity(int32_t value) override;
    int32_t CallPavikNorrelSetUVLampIntensity(int32_t value) override;

private:
    CHarluneSpectrumView& m_view;
};
