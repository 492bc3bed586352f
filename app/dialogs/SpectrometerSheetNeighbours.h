#pragma once

#include "driver/include/vykdrv32.h"

#include <cstdint>
#include <string>

// What the spectrometer sheet and the model features dialog use of the program around them:
// the driver calls only these dialogs make, a spectrum window's configuration with the
// accessors the sheet edits, the view's hardware record and chart, and the owner of a
// features dialog. The program implements them over the bound driver library,
// CSpectrometerConfiguration and CHarluneSpectrumView; tests use recording fakes. GUI thread.

namespace app::dialogs {

// The driver library as the two dialogs call it. Each member forwards to the export of the
// same name; the Trevan calls act on the driver's current device.
class DialogDriver
{
public:
    virtual ~DialogDriver() = default;

    virtual int32_t VYK_GetIntegrationTime() = 0;
    virtual std::string VYK_GetCurrentUSBSerialNumber() = 0;
    // 1 when the driver switched to the device with that serial number.
    virtual int16_t VYK_SetCurrentUSBSerialNumber(const std::string& serial) = 0;
    // One of the per-index identify exports (Pavik_IdentifyPavik ... Quarn_IdentifyQuarn) by
    // name: 1 when the device at that index (0 to 31) is of the model, its serial in serial.
    virtual int32_t identify(const char* exportName, int32_t deviceIndex, std::string& serial) = 0;
    virtual int32_t BrontelUSB_GetCoefficients(BrontelUSBCoefficientsRecord& record) = 0;
    virtual int32_t BrontelUSB_SetCoefficients(const BrontelUSBCoefficientsRecord& record) = 0;
    virtual int16_t Xandel_EnableCooler(int16_t enable) = 0;
    virtual int16_t Xandel_EnableFan(int16_t enable) = 0;
    virtual int16_t Ulmar_SetFanEnable(int16_t enable) = 0;
    virtual int16_t Ulmar_SetTECEnable(int16_t enable) = 0;

    virtual int32_t Trevan_GetSingleStrobeHigh() = 0;
    virtual int32_t Trevan_SetSingleStrobeHigh(int32_t count) = 0;
    virtual int32_t Trevan_GetSingleStrobeLow() = 0;
    virtual int32_t Trevan_SetSingleStrobeLow(int32_t count) = 0;
    // Seconds.
    virtual double Trevan_GetSingleStrobeHighTime() = 0;
    virtual double Trevan_GetSingleStrobeLowTime() = 0;
    virtual int32_t Trevan_GetContinuousStrobeBase() = 0;
    virtual int32_t Trevan_SetContinuousStrobeBase(int32_t divisor) = 0;
    virtual int32_t Trevan_GetContinuousStrobeClock() = 0;
    virtual int32_t Trevan_SetContinuousStrobeClock(int32_t divisor) = 0;
    // Seconds.
    virtual double Trevan_GetContinuousStrobeBaseTime() = 0;
    virtual double Trevan_GetContinuousStrobeTime() = 0;
    virtual int32_t Trevan_GetHardwareTriggerDelay() = 0;
    virtual int32_t Trevan_SetHardwareTriggerDelay(int32_t count) = 0;
    // Seconds.
    virtual double Trevan_GetHardwareTriggerDelayTime() = 0;
    virtual int32_t Trevan_GetGPIOPinMux(int32_t pin) = 0;
    virtual int32_t Trevan_SetGPIOMuxAlt(int32_t pin) = 0;
    virtual int32_t Trevan_SetGPIOMuxReg(int32_t pin) = 0;
    virtual int16_t Trevan_GetGPIOPinIO(int32_t pin) = 0;
    virtual int32_t Trevan_SetGPIOPinOutput(int32_t pin) = 0;
    virtual int32_t Trevan_SetGPIOPinInput(int32_t pin) = 0;
    virtual int16_t Trevan_GetGPIOPinData(int32_t pin) = 0;
    virtual int32_t Trevan_SetGPIOPinData(int32_t pin, int32_t level) = 0;
    // Bit k = pin k.
    virtual int16_t Trevan_GetGPIODataReg() = 0;
    virtual int32_t Trevan_SetAnalogOutput(int32_t count) = 0;
    virtual int32_t Trevan_ReadAnalogInput() = 0;
};

// A spectrum window's configuration as the spectrometer sheet reads and writes it (the
// accessors of CSpectrometerConfiguration of the same names; channel 0 to 7).
class SheetConfiguration
{
public:
    virtual ~SheetConfiguration() = default;

    virtual unsigned GetPixelCount() = 0;
    // The wavelength of pixel 0 and of the last pixel.
    virtual float GetWLIntercept(int channel) = 0;
    virtual double GetLastPixelWavelength(int channel) = 0;
    // Writes GetPixelCount() calibrated wavelengths.
    virtual void FillWavelengths(int channel, double* wavelengths) = 0;
    // Intercept, first, second, third.
    virtual void GetWavelengthCoefs(int channel, float* coefficients) = 0;
    virtual float GetDisplayStart(int channel) = 0;
    virtual float GetDisplayEnd(int channel) = 0;
    virtual uint16_t GetChannelEnabled(int channel) = 0;
    virtual int16_t GetSLEnabled(int channel) = 0;
    virtual float GetSLConstant(int channel) = 0;
    virtual int16_t GetNLEnabled(int channel) = 0;
    // Eight coefficients.
    virtual void GetNLCoefs(int channel, float* coefficients) = 0;
    virtual uint32_t GetReferenceChannel(int channel) = 0;
    virtual uint16_t GetReferenceType(int channel) = 0;
    virtual float GetReferenceWavelength(int channel) = 0;
    virtual float GetReferenceBandwidthStart(int channel) = 0;
    virtual float GetReferenceBandwidthEnd(int channel) = 0;
    virtual uint16_t GetSpectrometerType() = 0;
    virtual uint16_t GetADCType() = 0;
    virtual uint32_t GetBaseAddress() = 0;
    virtual uint16_t GetIRQ() = 0;
    virtual uint16_t GetSerialPort() = 0;
    virtual uint16_t GetSerialPortResolution() = 0;
    virtual double GetLemmikOffset() = 0;
    virtual uint16_t GetPCICardID() = 0;
    virtual std::string GetUSBSerialNumber() = 0;
    virtual uint32_t GetKaldrisCompression() = 0;
    virtual uint16_t GetSerialPortBaudRate() = 0;
    virtual uint32_t GetDisplayLimitedRange() = 0;
    virtual std::string GetSerialNumber() = 0;

    // With 0 the setters only store; with 1 the driver-relevant ones push at once.
    virtual void SetAutoApply(int value) = 0;
    virtual void SetSpectrometerType(uint16_t value) = 0;
    virtual void SetADCType(uint16_t value) = 0;
    virtual void SetPCICardID(uint16_t value) = 0;
    virtual void SetBaseAddress(uint32_t value) = 0;
    virtual void SetIRQ(uint16_t value) = 0;
    virtual void SetSerialPort(uint16_t value) = 0;
    virtual void SetSerialPortResolution(uint16_t value) = 0;
    virtual void SetUSBSerialNumber(const std::string& text) = 0;
    virtual void SetLemmikOffset(double value) = 0;
    virtual void SetKaldrisCompression(uint32_t value) = 0;
    virtual void SetSerialPortBaudRate(uint16_t value) = 0;
    virtual void SetDisplayStart(int channel, float wavelength) = 0;
    virtual void SetDisplayEnd(int channel, float wavelength) = 0;
    virtual void SetWavelengthCoefs(int channel, const float* coefficients) = 0;
    virtual void SetChannelEnabled(int channel, uint16_t value) = 0;
    virtual void SetSLEnabled(int channel, int16_t value) = 0;
    virtual void SetSLConstant(int channel, float value) = 0;
    virtual void SetNLEnabled(int channel, int16_t value) = 0;
    virtual void SetNLCoefs(int channel, const float* coefficients) = 0;
    virtual void SetReferenceChannel(int channel, uint32_t value) = 0;
    virtual void SetReferenceType(int channel, uint16_t value) = 0;
    virtual void SetReferenceBandwidthStart(int channel, float value) = 0;
    virtual void SetReferenceBandwidthEnd(int channel, float value) = 0;
    virtual void SetReferenceWavelength(int channel, float value) = 0;
    virtual void SetDisplayLimitedRange(uint32_t value) = 0;
    virtual void SetSerialNumber(const std::string& text) = 0;
    // Pushes the whole configuration into the driver.
    virtual void ApplyToDriver() = 0;
};

// The spectrum view as the spectrometer sheet writes it: its hardware record, its flags, the
// document's wavelength and plotted arrays, the chart and its processing-mode command.
class SpectrometerSheetView
{
public:
    static constexpr int kPoints = 4096;

    virtual ~SpectrometerSheetView() = default;
    virtual SheetConfiguration& sheetConfiguration() = 0;

    // The hardware record.
    virtual std::string usbSerialNumber() = 0;
    virtual uint16_t adcType() = 0;
    virtual uint16_t spectrometerType() = 0;
    // At most 15 characters are kept.
    virtual void setUsbSerialNumber(const std::string& serial) = 0;
    virtual void setAdcType(uint16_t value) = 0;
    virtual void setSpectrometerType(uint16_t value) = 0;
    virtual void setIrq(uint16_t value) = 0;
    virtual void setBaseAddress(uint32_t value) = 0;
    virtual void setSerialPort(uint16_t value) = 0;
    virtual void setSerialPortResolution(uint16_t value) = 0;
    virtual void setPciCardId(uint16_t value) = 0;
    // The registration record's enable word of a channel.
    virtual void setChannelEnableWord(int channel, int16_t value) = 0;
    // Flags the sheet only writes.
    virtual void setConfigurationApplying(int value) = 0;
    virtual void setDeviceProbe(int value) = 0;
    virtual void setDeviceChanged(int value) = 0;
    // The displayed X range.
    virtual void setDisplayedRange(double minimumNm, double maximumNm) = 0;
    // The document's arrays of a channel, kPoints doubles each.
    virtual double* wavelengths(int channel) = 0;
    virtual double* plotted(int channel) = 0;

    // The chart: repainting (property 0x111), a channel's X and Y data, the X axis limits
    // (0x700 and 0x716 the minimum, 0x703 and 0x713 the maximum) and a channel's last point.
    virtual void setChartRepaint(bool on) = 0;
    virtual void setChartXData(int channel, const double* values, int count) = 0;
    virtual void setChartYData(int channel, const double* values, int count) = 0;
    virtual void setChartXLimits(double minimum, double maximum) = 0;
    virtual void setChartLastPoint(int channel, int point) = 0;

    // The current ProcessingMode (0 Scope ... 5 Specular Reflection) and its command.
    virtual int processingMode() = 0;
    virtual void runProcessingModeCommand(int mode) = 0;
};

// The spectrum view that owns model features dialogs: its stored refresh interval and the
// A/D type of its configuration.
class FeaturesDialogOwner
{
public:
    virtual ~FeaturesDialogOwner() = default;
    virtual int featuresRefreshIntervalMs() = 0;
    virtual void setFeaturesRefreshIntervalMs(int intervalMs) = 0;
    virtual uint16_t configurationAdcType() = 0;
};

} // namespace app::dialogs
