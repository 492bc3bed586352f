#include "app/dialogs/SheetConfigurationAdapter.h"

#include "app/shell/SpectrometerConfiguration.h"

namespace app::dialogs {

unsigned SheetConfigurationAdapter::GetPixelCount()
{
    return m_configuration.GetPixelCount();
}

float SheetConfigurationAdapter::GetWLIntercept(int channel)
{
    return m_configuration.GetWLIntercept(channel);
}

double SheetConfigurationAdapter::GetLastPixelWavelength(int channel)
{
    return m_configuration.GetLastPixelWavelength(channel);
}

void SheetConfigurationAdapter::FillWavelengths(int channel, double* wavelengths)
{
    m_configuration.FillWavelengths(channel, wavelengths);
}

void SheetConfigurationAdapter::GetWavelengthCoefs(int channel, float* coefficients)
{
    m_configuration.GetWavelengthCoefs(channel, coefficients);
}

float SheetConfigurationAdapter::GetDisplayStart(int channel)
{
    return m_configuration.GetDisplayStart(channel);
}

float SheetConfigurationAdapter::GetDisplayEnd(int channel)
{
    return m_configuration.GetDisplayEnd(channel);
}

uint16_t SheetConfigurationAdapter::GetChannelEnabled(int channel)
{
    return m_configuration.GetChannelEnabled(channel);
}

int16_t SheetConfigurationAdapter::GetSLEnabled(int channel)
{
    return m_configuration.GetSLEnabled(channel);
}

float SheetConfigurationAdapter::GetSLConstant(int channel)
{
    return m_configuration.GetSLConstant(channel);
}

int16_t SheetConfigurationAdapter::GetNLEnabled(int channel)
{
    return m_configuration.GetNLEnabled(channel);
}

void SheetConfigurationAdapter::GetNLCoefs(int channel, float* coefficients)
{
    m_configuration.GetNLCoefs(channel, coefficients);
}

uint32_t SheetConfigurationAdapter::GetReferenceChannel(int channel)
{
    return m_configuration.GetReferenceChannel(channel);
}

uint16_t SheetConfigurationAdapter::GetReferenceType(int channel)
{
    return m_configuration.GetReferenceType(channel);
}

float SheetConfigurationAdapter::GetReferenceWavelength(int channel)
{
    return m_configuration.GetReferenceWavelength(channel);
}

float SheetConfigurationAdapter::GetReferenceBandwidthStart(int channel)
{
    return m_configuration.GetReferenceBandwidthStart(channel);
}

float SheetConfigurationAdapter::GetReferenceBandwidthEnd(int channel)
{
    return m_configuration.GetReferenceBandwidthEnd(channel);
}

uint16_t SheetConfigurationAdapter::GetSpectrometerType()
{
    return m_configuration.GetSpectrometerType();
}

uint16_t SheetConfigurationAdapter::GetADCType()
{
    return m_configuration.GetADCType();
}

uint32_t SheetConfigurationAdapter::GetBaseAddress()
{
    return m_configuration.GetBaseAddress();
}

uint16_t SheetConfigurationAdapter::GetIRQ()
{
    return m_configuration.GetIRQ();
}

uint16_t SheetConfigurationAdapter::GetSerialPort()
{
    return m_configuration.GetSerialPort();
}

uint16_t SheetConfigurationAdapter::GetSerialPortResolution()
{
    return m_configuration.GetSerialPortResolution();
}

double SheetConfigurationAdapter::GetLemmikOffset()
{
    return m_configuration.GetLemmikOffset();
}

uint16_t SheetConfigurationAdapter::GetPCICardID()
{
    return m_configuration.GetPCICardID();
}

std::string SheetConfigurationAdapter::GetUSBSerialNumber()
{
    return m_configuration.GetUSBSerialNumber();
}

uint32_t SheetConfigurationAdapter::GetKaldrisCompression()
{
    return m_configuration.GetKaldrisCompression();
}

uint16_t SheetConfigurationAdapter::GetSerialPortBaudRate()
{
    return m_configuration.GetSerialPortBaudRate();
}

uint32_t SheetConfigurationAdapter::GetDisplayLimitedRange()
{
    return m_configuration.GetDisplayLimitedRange();
}

std::string SheetConfigurationAdapter::GetSerialNumber()
{
    return m_configuration.GetSerialNumber();
}

void SheetConfigurationAdapter::SetAutoApply(int value)
{
    m_configuration.SetAutoApply(value);
}

void SheetConfigurationAdapter::SetSpectrometerType(uint16_t value)
{
    m_configuration.SetSpectrometerType(value);
}

void SheetConfigurationAdapter::SetADCType(uint16_t value)
{
    m_configuration.SetADCType(value);
}

void SheetConfigurationAdapter::SetPCICardID(uint16_t value)
{
    m_configuration.SetPCICardID(value);
}

void SheetConfigurationAdapter::SetBaseAddress(uint32_t value)
{
    m_configuration.SetBaseAddress(value);
}

void SheetConfigurationAdapter::SetIRQ(uint16_t value)
{
    m_configuration.SetIRQ(value);
}

void SheetConfigurationAdapter::SetSerialPort(uint16_t value)
{
    m_configuration.SetSerialPort(value);
}

void SheetConfigurationAdapter::SetSerialPortResolution(uint16_t value)
{
    m_configuration.SetSerialPortResolution(value);
}

void SheetConfigurationAdapter::SetUSBSerialNumber(const std::string& text)
{
    m_configuration.SetUSBSerialNumber(text);
}

void SheetConfigurationAdapter::SetLemmikOffset(double value)
{
    m_configuration.SetLemmikOffset(value);
}

void SheetConfigurationAdapter::SetKaldrisCompression(uint32_t value)
{
    m_configuration.SetKaldrisCompression(value);
}

void SheetConfigurationAdapter::SetSerialPortBaudRate(uint16_t value)
{
    m_configuration.SetSerialPortBaudRate(value);
}

void SheetConfigurationAdapter::SetDisplayStart(int channel, float wavelength)
{
    m_configuration.SetDisplayStart(channel, wavelength);
}

void SheetConfigurationAdapter::SetDisplayEnd(int channel, float wavelength)
{
    m_configuration.SetDisplayEnd(channel, wavelength);
}

void SheetConfigurationAdapter::SetWavelengthCoefs(int channel, const float* coefficients)
{
    m_configuration.SetWavelengthCoefs(channel, coefficients);
}

void SheetConfigurationAdapter::SetChannelEnabled(int channel, uint16_t value)
{
    m_configuration.SetChannelEnabled(channel, value);
}

void SheetConfigurationAdapter::SetSLEnabled(int channel, int16_t value)
{
    m_configuration.SetSLEnabled(channel, value);
}

void SheetConfigurationAdapter::SetSLConstant(int channel, float value)
{
    m_configuration.SetSLConstant(channel, value);
}

void SheetConfigurationAdapter::SetNLEnabled(int channel, int16_t value)
{
    m_configuration.SetNLEnabled(channel, value);
}

void SheetConfigurationAdapter::SetNLCoefs(int channel, const float* coefficients)
{
    m_configuration.SetNLCoefs(channel, coefficients);
}

void SheetConfigurationAdapter::SetReferenceChannel(int channel, uint32_t value)
{
    m_configuration.SetReferenceChannel(channel, value);
}

void SheetConfigurationAdapter::SetReferenceType(int channel, uint16_t value)
{
    m_configuration.SetReferenceType(channel, value);
}

void SheetConfigurationAdapter::SetReferenceBandwidthStart(int channel, float value)
{
    m_configuration.SetReferenceBandwidthStart(channel, value);
}

void SheetConfigurationAdapter::SetReferenceBandwidthEnd(int channel, float value)
{
    m_configuration.SetReferenceBandwidthEnd(channel, value);
}

void SheetConfigurationAdapter::SetReferenceWavelength(int channel, float value)
{
    m_configuration.SetReferenceWavelength(channel, value);
}

void SheetConfigurationAdapter::SetDisplayLimitedRange(uint32_t value)
{
    m_configuration.SetDisplayLimitedRange(value);
}

void SheetConfigurationAdapter::SetSerialNumber(const std::string& text)
{
    m_configuration.SetSerialNumber(text);
}

void SheetConfigurationAdapter::ApplyToDriver()
{
    m_configuration.ApplyToDriver();
}

} // namespace app::dialogs
