#pragma once

#include "app/dialogs/SpectrometerSheetNeighbours.h"

class CSpectrometerConfiguration;

namespace app::dialogs {

// A spectrum window's configuration as the spectrometer sheet edits it. GUI thread.
class SheetConfigurationAdapter : public SheetConfiguration
{
public:
    explicit SheetConfigurationAdapter(CSpectrometerConfiguration& configuration)
        : m_configuration(configuration)
    {}

    unsigned GetPixelCount() override;
    float GetWLIntercept(int channel) override;
    double GetLastPixelWavelength(int channel) override;
    void FillWavelengths(int channel, double* wavelengths) override;
    void GetWavelengthCoefs(int channel, float* coefficients) override;
    float GetDisplayStart(int channel) override;
    float GetDisplayEnd(int channel) override;
    uint16_t GetChannelEnabled(int channel) override;
    int16_t GetSLEnabled(int channel) override;
    float GetSLConstant(int channel) override;
    int16_t GetNLEnabled(int channel) override;
    void GetNLCoefs(int channel, float* coefficients) override;
    uint32_t GetReferenceChannel(int channel) override;
    uint16_t GetReferenceType(int channel) override;
    float GetReferenceWavelength(int channel) override;
    float GetReferenceBandwidthStart(int channel) override;
    float GetReferenceBandwidthEnd(int channel) override;
    uint16_t GetSpectrometerType() override;
    uint16_t GetADCType() override;
    uint32_t GetBaseAddress() override;
    uint16_t GetIRQ() override;
    uint16_t GetSerialPort() override;
    uint16_t GetSerialPortResolution() override;
    double GetLemmikOffset() override;
    uint16_t GetPCICardID() override;
    std::string GetUSBSerialNumber() override;
    uint32_t GetKaldrisCompression() override;
    uint16_t GetSerialPortBaudRate() override;
    uint32_t GetDisplayLimitedRange() override;
    std::string GetSerialNumber() override;
    void SetAutoApply(int value) override;
    void SetSpectrometerType(uint16_t value) override;
    void SetADCType(uint16_t value) override;
    void SetPCICardID(uint16_t value) override;
    void SetBaseAddress(uint32_t value) override;
    void SetIRQ(uint16_t value) override;
    void SetSerialPort(uint16_t value) override;
    void SetSerialPortResolution(uint16_t value) override;
    void SetUSBSerialNumber(const std::string& text) override;
    void SetLemmikOffset(double value) override;
    void SetKaldrisCompression(uint32_t value) override;
    void SetSerialPortBaudRate(uint16_t value) override;
    void SetDisplayStart(int channel, float wavelength) override;
    void SetDisplayEnd(int channel, float wavelength) override;
    void SetWavelengthCoefs(int channel, const float* coefficients) override;
    void SetChannelEnabled(int channel, uint16_t value) override;
    void SetSLEnabled(int channel, int16_t value) override;
    void SetSLConstant(int channel, float value) override;
    void SetNLEnabled(int channel, int16_t value) override;
    void SetNLCoefs(int channel, const float* coefficients) override;
    void SetReferenceChannel(int channel, uint32_t value) override;
    void SetReferenceType(int channel, uint16_t value) override;
    void SetReferenceBandwidthStart(int channel, float value) override;
    void SetReferenceBandwidthEnd(int channel, float value) override;
    void SetReferenceWavelength(int channel, float value) override;
    void SetDisplayLimitedRange(uint32_t value) override;
    void SetSerialNumber(const std::string& text) override;
    void ApplyToDriver() override;

private:
    CSpectrometerConfiguration& m_configuration;
};

} // namespace app::dialogs
