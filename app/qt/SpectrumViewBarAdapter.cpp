#include "app/qt/SpectrumViewBarAdapter.h"

#include "app/shell/SpectrometerConfiguration.h"
#include "app/spectrum/HarluneSpectrumView.h"

RegistrationRecord& SpectrumViewBarAdapter::record()
{
    return m_view.record();
}

uint16_t SpectrumViewBarAdapter::adcType()
{
    return m_view.configuration().GetADCType();
}

uint32_t SpectrumViewBarAdapter::integrationMinimum()
{
    return m_view.integrationMinimum();
}

uint32_t SpectrumViewBarAdapter::integrationMaximum()
{
    return m_view.integrationMaximum();
}

void SpectrumViewBarAdapter::setIntegrationLimits(uint32_t minimum, uint32_t maximum)
{
    m_view.setIntegrationLimits(minimum, maximum);
}

void SpectrumViewBarAdapter::setStrobeEnable(int value)
{
    m_view.setStrobeEnable(value);
}

void SpectrumViewBarAdapter::setMavrinLampOn(int value)
{
    m_view.setMavrinLampOn(value);
}

void SpectrumViewBarAdapter::setMavrinModulation(int value)
{
    m_view.setMavrinModulation(value);
}

void SpectrumViewBarAdapter::setMavrinTemperatureReadOut(int value)
{
    m_view.setMavrinTemperatureReadOut(value);
}

void SpectrumViewBarAdapter::setTemperatureInCelsius(int value)
{
    m_view.setTemperatureInCelsius(value);
}

void SpectrumViewBarAdapter::setCoolerOn(int value)
{
    m_view.setCoolerOn(value);
}

void SpectrumViewBarAdapter::setCoolerStateSent(int value)
{
    m_view.setCoolerStateSent(value);
}

void SpectrumViewBarAdapter::setCoolerSetPoint(double degreesC)
{
    m_view.setTecSetPoint(degreesC);
}

void SpectrumViewBarAdapter::setSetPointPending(int value)
{
    m_view.setSetPointPending(value);
}

void SpectrumViewBarAdapter::setHighGainMode(int value)
{
    m_view.setHighGainMode(value);
}

void SpectrumViewBarAdapter::UpdateAcquisitionBar()
{
    m_view.UpdateAcquisitionBar();
}

void SpectrumViewBarAdapter::StartNextScan()
{
    m_view.StartNextScan();
}

void SpectrumViewBarAdapter::SetXandelHighGain(int highGain)
{
    m_view.SetXandelHighGain(highGain);
}

int32_t SpectrumViewBarAdapter::CallPavikNorrelLampOn(int32_t on)
{
    return m_view.CallPavikNorrelLampOn(on);
}

int32_t SpectrumViewBarAdapter::CallPavikNorrelSetVisLampOn(int32_t on)
{
    return m_view.CallPavikNorrelSetVisLampOn(on);
}

int32_t SpectrumViewBarAdapter::CallPavikNorrelSetShutterOpened(int32_t open)
{
    return m_view.CallPavikNorrelSetShutterOpened(open);
}

int32_t SpectrumViewBarAdapter::CallPavikNorrelStoreCurrentPotValues()
{
    return m_view.CallPavikNorrelStoreCurrentPotValues();
}

int32_t SpectrumViewBarAdapter::CallPavikNorrelSetVisLampIntensity(int32_t value)
{
    return m_view.CallPavikNorrelSetVisLampIntensity(value);
}

int32_t SpectrumViewBarAdapter::CallPavikNorrelSetUVLampIntensity(int32_t value)
{
    return m_view.CallPavikNorrelSetUVLampIntensity(value);
}
