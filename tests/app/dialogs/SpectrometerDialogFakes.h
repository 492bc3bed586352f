#pragma once

#include "app/dialogs/SpectrometerSheetNeighbours.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

// Recording fakes of what the spectrometer sheet and the model features dialog use: every
// call goes into one shared log, in order, as "Name(arguments)".
namespace app::dialogs::test {

inline std::string callText(const std::string& name, std::initializer_list<double> arguments)
{
    std::string text = name + "(";
    bool first = true;
    for (double a : arguments) {
        if (!first)
            text += ",";
        first = false;
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%g", a);
        text += buffer;
    }
    return text + ")";
}

class FakeDialogDriver : public DialogDriver
{
public:
    explicit FakeDialogDriver(std::vector<std::string>& log) : m_log(log) {}

    int32_t VYK_GetIntegrationTime() override { return integrationTime; }
    std::string VYK_GetCurrentUSBSerialNumber() override { return currentSerial; }
    int16_t VYK_SetCurrentUSBSerialNumber(const std::string& serial) override
    {
        m_log.push_back("VYK_SetCurrentUSBSerialNumber(" + serial + ")");
        currentSerial = serial;
        return 1;
    }
    int32_t identify(const char* exportName, int32_t deviceIndex, std::string& serial) override
    {
        identifyCalls.push_back(std::string(exportName) + "(" + std::to_string(deviceIndex) + ")");
        const auto found = devices.find(deviceIndex);
        if (found == devices.end())
            return 0;
        serial = found->second.second;
        return found->second.first;
    }
    int32_t BrontelUSB_GetCoefficients(BrontelUSBCoefficientsRecord& record) override
    {
        m_log.push_back("BrontelUSB_GetCoefficients");
        record = brontelRecord;
        return brontelReadResult;
    }
    int32_t BrontelUSB_SetCoefficients(const BrontelUSBCoefficientsRecord& record) override
    {
        m_log.push_back("BrontelUSB_SetCoefficients");
        brontelWritten = record;
        return 1;
    }
    int16_t Xandel_EnableCooler(int16_t e) override
    {
        return logged("Xandel_EnableCooler", {double(e)});
    }
    int16_t Xandel_EnableFan(int16_t e) override { return logged("Xandel_EnableFan", {double(e)}); }
    int16_t Ulmar_SetFanEnable(int16_t e) override
    {
        return logged("Ulmar_SetFanEnable", {double(e)});
    }
    int16_t Ulmar_SetTECEnable(int16_t e) override
    {
        return logged("Ulmar_SetTECEnable", {double(e)});
    }

    int32_t Trevan_GetSingleStrobeHigh() override { return singleStrobeHigh; }
    int32_t Trevan_SetSingleStrobeHigh(int32_t c) override
    {
        return logged("Trevan_SetSingleStrobeHigh", {double(c)});
    }
    int32_t Trevan_GetSingleStrobeLow() override { return singleStrobeLow; }
    int32_t Trevan_SetSingleStrobeLow(int32_t c) override
    {
        return logged("Trevan_SetSingleStrobeLow", {double(c)});
    }
    double Trevan_GetSingleStrobeHighTime() override { return singleStrobeHighTime; }
    double Trevan_GetSingleStrobeLowTime() override { return singleStrobeLowTime; }
    int32_t Trevan_GetContinuousStrobeBase() override { return strobeBase; }
    int32_t Trevan_SetContinuousStrobeBase(int32_t d) override
    {
        return logged("Trevan_SetContinuousStrobeBase", {double(d)});
    }
    int32_t Trevan_GetContinuousStrobeClock() override { return strobeClock; }
    int32_t Trevan_SetContinuousStrobeClock(int32_t d) override
    {
        return logged("Trevan_SetContinuousStrobeClock", {double(d)});
    }
    double Trevan_GetContinuousStrobeBaseTime() override { return strobeBaseTime; }
    double Trevan_GetContinuousStrobeTime() override { return strobeTime; }
    int32_t Trevan_GetHardwareTriggerDelay() override
    {
        m_log.push_back("Trevan_GetHardwareTriggerDelay");
        return triggerDelay;
    }
    int32_t Trevan_SetHardwareTriggerDelay(int32_t c) override
    {
        return logged("Trevan_SetHardwareTriggerDelay", {double(c)});
    }
    double Trevan_GetHardwareTriggerDelayTime() override { return triggerDelayTime; }
    int32_t Trevan_GetGPIOPinMux(int32_t pin) override { return pinMux[pin]; }
    int32_t Trevan_SetGPIOMuxAlt(int32_t pin) override
    {
        return logged("Trevan_SetGPIOMuxAlt", {double(pin)});
    }
    int32_t Trevan_SetGPIOMuxReg(int32_t pin) override
    {
        return logged("Trevan_SetGPIOMuxReg", {double(pin)});
    }
    int16_t Trevan_GetGPIOPinIO(int32_t pin) override { return pinIO[pin]; }
    int32_t Trevan_SetGPIOPinOutput(int32_t pin) override
    {
        return logged("Trevan_SetGPIOPinOutput", {double(pin)});
    }
    int32_t Trevan_SetGPIOPinInput(int32_t pin) override
    {
        return logged("Trevan_SetGPIOPinInput", {double(pin)});
    }
    int16_t Trevan_GetGPIOPinData(int32_t pin) override { return pinData[pin]; }
    int32_t Trevan_SetGPIOPinData(int32_t pin, int32_t level) override
    {
        return logged("Trevan_SetGPIOPinData", {double(pin), double(level)});
    }
    int16_t Trevan_GetGPIODataReg() override { return dataRegister; }
    int32_t Trevan_SetAnalogOutput(int32_t c) override
    {
        return logged("Trevan_SetAnalogOutput", {double(c)});
    }
    int32_t Trevan_ReadAnalogInput() override
    {
        m_log.push_back("Trevan_ReadAnalogInput");
        return analogInput;
    }

    int32_t integrationTime = 100;
    std::string currentSerial;
    // Device index: identify answer and serial.
    std::map<int, std::pair<int32_t, std::string>> devices;
    std::vector<std::string> identifyCalls;
    BrontelUSBCoefficientsRecord brontelRecord{};
    int32_t brontelReadResult = 1;
    BrontelUSBCoefficientsRecord brontelWritten{};
    int32_t singleStrobeHigh = 0, singleStrobeLow = 0, strobeBase = 0, strobeClock = 0;
    int32_t triggerDelay = 0, analogInput = 0;
    double singleStrobeHighTime = 0.0, singleStrobeLowTime = 0.0;
    double strobeBaseTime = 0.0, strobeTime = 0.0, triggerDelayTime = 0.0;
    std::array<int32_t, 10> pinMux{};
    std::array<int16_t, 10> pinIO{};
    std::array<int16_t, 10> pinData{};
    int16_t dataRegister = 0;

private:
    int16_t logged(const std::string& name, std::initializer_list<double> arguments)
    {
        m_log.push_back(callText(name, arguments));
        return 1;
    }
    std::vector<std::string>& m_log;
};

// A configuration with a fixed pixel count whose wavelengths follow the stored coefficients.
class FakeSheetConfiguration : public SheetConfiguration
{
public:
    explicit FakeSheetConfiguration(std::vector<std::string>& log) : m_log(log)
    {
        for (int k = 0; k < 8; ++k) {
            coefficients[k] = {400.0f + 10.0f * k, 0.5f, 0.0f, 0.0f};
            displayStart[k] = 0.0f;
            displayEnd[k] = 0.0f;
        }
        enabled[0] = 1;
    }

    double wavelength(int k, double p) const
    {
        const auto& c = coefficients[k];
        return c[0] + c[1] * p + c[2] * p * p + c[3] * p * p * p;
    }

    unsigned GetPixelCount() override { return pixelCount; }
    float GetWLIntercept(int k) override { return coefficients[k][0]; }
    double GetLastPixelWavelength(int k) override { return wavelength(k, pixelCount - 1.0); }
    void FillWavelengths(int k, double* w) override
    {
        for (unsigned p = 0; p < pixelCount; ++p)
            w[p] = wavelength(k, p);
    }
    void GetWavelengthCoefs(int k, float* c) override
    {
        std::copy(coefficients[k].begin(), coefficients[k].end(), c);
    }
    float GetDisplayStart(int k) override { return displayStart[k]; }
    float GetDisplayEnd(int k) override { return displayEnd[k]; }
    uint16_t GetChannelEnabled(int k) override { return enabled[k]; }
    int16_t GetSLEnabled(int k) override { return slEnabled[k]; }
    float GetSLConstant(int k) override { return slConstant[k]; }
    int16_t GetNLEnabled(int k) override { return nlEnabled[k]; }
    void GetNLCoefs(int k, float* c) override
    {
        std::copy(nlCoefficients[k].begin(), nlCoefficients[k].end(), c);
    }
    uint32_t GetReferenceChannel(int k) override { return referenceChannel[k]; }
    uint16_t GetReferenceType(int k) override { return referenceType[k]; }
    float GetReferenceWavelength(int k) override { return referenceWavelength[k]; }
    float GetReferenceBandwidthStart(int k) override { return bandStart[k]; }
    float GetReferenceBandwidthEnd(int k) override { return bandEnd[k]; }
    uint16_t GetSpectrometerType() override { return spectrometerType; }
    uint16_t GetADCType() override { return adcType; }
    uint32_t GetBaseAddress() override { return baseAddress; }
    uint16_t GetIRQ() override { return irq; }
    uint16_t GetSerialPort() override { return serialPort; }
    uint16_t GetSerialPortResolution() override { return pixelResolution; }
    double GetLemmikOffset() override { return lemmikOffset; }
    uint16_t GetPCICardID() override { return pciCardId; }
    std::string GetUSBSerialNumber() override { return usbSerial; }
    uint32_t GetKaldrisCompression() override { return compression; }
    uint16_t GetSerialPortBaudRate() override { return baudRate; }
    uint32_t GetDisplayLimitedRange() override { return displayLimitedRange; }
    std::string GetSerialNumber() override { return serialNumber; }

    void SetAutoApply(int v) override { log("SetAutoApply", {double(v)}); }
    void SetSpectrometerType(uint16_t v) override
    {
        log("SetSpectrometerType", {double(v)}), spectrometerType = v;
    }
    void SetADCType(uint16_t v) override { log("SetADCType", {double(v)}), adcType = v; }
    void SetPCICardID(uint16_t v) override { log("SetPCICardID", {double(v)}), pciCardId = v; }
    void SetBaseAddress(uint32_t v) override
    {
        log("SetBaseAddress", {double(v)}), baseAddress = v;
    }
    void SetIRQ(uint16_t v) override { log("SetIRQ", {double(v)}), irq = v; }
    void SetSerialPort(uint16_t v) override { log("SetSerialPort", {double(v)}), serialPort = v; }
    void SetSerialPortResolution(uint16_t v) override
    {
        log("SetSerialPortResolution", {double(v)}), pixelResolution = v;
    }
    void SetUSBSerialNumber(const std::string& t) override
    {
        m_log.push_back("SetUSBSerialNumber(" + t + ")"), usbSerial = t;
    }
    void SetLemmikOffset(double v) override { log("SetLemmikOffset", {v}), lemmikOffset = v; }
    void SetKaldrisCompression(uint32_t v) override
    {
        log("SetKaldrisCompression", {double(v)}), compression = v;
    }
    void SetSerialPortBaudRate(uint16_t v) override
    {
        log("SetSerialPortBaudRate", {double(v)}), baudRate = v;
    }
    void SetDisplayStart(int k, float v) override
    {
        log("SetDisplayStart", {double(k), v}), displayStart[k] = v;
    }
    void SetDisplayEnd(int k, float v) override
    {
        log("SetDisplayEnd", {double(k), v}), displayEnd[k] = v;
    }
    void SetWavelengthCoefs(int k, const float* c) override
    {
        log("SetWavelengthCoefs", {double(k), c[0], c[1], c[2], c[3]});
        std::copy(c, c + 4, coefficients[k].begin());
    }
    void SetChannelEnabled(int k, uint16_t v) override
    {
        log("SetChannelEnabled", {double(k), double(v)}), enabled[k] = v;
    }
    void SetSLEnabled(int k, int16_t v) override
    {
        log("SetSLEnabled", {double(k), double(v)}), slEnabled[k] = v;
    }
    void SetSLConstant(int k, float v) override
    {
        log("SetSLConstant", {double(k), v}), slConstant[k] = v;
    }
    void SetNLEnabled(int k, int16_t v) override
    {
        log("SetNLEnabled", {double(k), double(v)}), nlEnabled[k] = v;
    }
    void SetNLCoefs(int k, const float* c) override
    {
        log("SetNLCoefs", {double(k)});
        std::copy(c, c + 8, nlCoefficients[k].begin());
    }
    void SetReferenceChannel(int k, uint32_t v) override
    {
        log("SetReferenceChannel", {double(k), double(v)}), referenceChannel[k] = v;
    }
    void SetReferenceType(int k, uint16_t v) override
    {
        log("SetReferenceType", {double(k), double(v)}), referenceType[k] = v;
    }
    void SetReferenceBandwidthStart(int k, float v) override
    {
        log("SetReferenceBandwidthStart", {double(k), v}), bandStart[k] = v;
    }
    void SetReferenceBandwidthEnd(int k, float v) override
    {
        log("SetReferenceBandwidthEnd", {double(k), v}), bandEnd[k] = v;
    }
    void SetReferenceWavelength(int k, float v) override
    {
        log("SetReferenceWavelength", {double(k), v}), referenceWavelength[k] = v;
    }
    void SetDisplayLimitedRange(uint32_t v) override
    {
        log("SetDisplayLimitedRange", {double(v)}), displayLimitedRange = v;
    }
    void SetSerialNumber(const std::string& t) override
    {
        m_log.push_back("SetSerialNumber(" + t + ")"), serialNumber = t;
    }
    void ApplyToDriver() override { m_log.push_back("ApplyToDriver"); }

    unsigned pixelCount = 2048;
    std::array<std::array<float, 4>, 8> coefficients{};
    std::array<float, 8> displayStart{}, displayEnd{};
    std::array<uint16_t, 8> enabled{};
    std::array<int16_t, 8> slEnabled{}, nlEnabled{};
    std::array<float, 8> slConstant{};
    std::array<std::array<float, 8>, 8> nlCoefficients{};
    std::array<uint32_t, 8> referenceChannel{};
    std::array<uint16_t, 8> referenceType{};
    std::array<float, 8> referenceWavelength{}, bandStart{}, bandEnd{};
    uint16_t spectrometerType = VYK_SPEC_ISTREL;
    uint16_t adcType = VYK_ADC_PAVIK;
    uint32_t baseAddress = 768;
    uint16_t irq = 7, serialPort = 1, pixelResolution = 1, pciCardId = 0, baudRate = 6;
    double lemmikOffset = 0.0;
    std::string usbSerial = "PV00042";
    uint32_t compression = 0, displayLimitedRange = 0;
    std::string serialNumber = "PV00042";

private:
    void log(const std::string& name, std::initializer_list<double> arguments)
    {
        m_log.push_back(callText(name, arguments));
    }
    std::vector<std::string>& m_log;
};

class FakeSheetView : public SpectrometerSheetView, public FeaturesDialogOwner
{
public:
    explicit FakeSheetView(std::vector<std::string>& log) : configuration(log), m_log(log) {}

    SheetConfiguration& sheetConfiguration() override { return configuration; }
    std::string usbSerialNumber() override { return usbSerial; }
    uint16_t adcType() override { return adc; }
    uint16_t spectrometerType() override { return spectrometer; }
    void setUsbSerialNumber(const std::string& s) override
    {
        m_log.push_back("view.usbSerial(" + s + ")"), usbSerial = s;
    }
    void setAdcType(uint16_t v) override { log("view.adcType", {double(v)}), adc = v; }
    void setSpectrometerType(uint16_t v) override
    {
        log("view.spectrometerType", {double(v)}), spectrometer = v;
    }
    void setIrq(uint16_t v) override { log("view.irq", {double(v)}); }
    void setBaseAddress(uint32_t v) override { log("view.baseAddress", {double(v)}); }
    void setSerialPort(uint16_t v) override { log("view.serialPort", {double(v)}); }
    void setSerialPortResolution(uint16_t v) override { log("view.pixelResolution", {double(v)}); }
    void setPciCardId(uint16_t v) override { log("view.pciCardId", {double(v)}); }
    void setChannelEnableWord(int k, int16_t v) override
    {
        log("view.enable", {double(k), double(v)}), enables[k] = v;
    }
    void setConfigurationApplying(int v) override { log("view.applying", {double(v)}); }
    void setDeviceProbe(int v) override { log("view.deviceProbe", {double(v)}); }
    void setDeviceChanged(int v) override { log("view.deviceChanged", {double(v)}); }
    void setDisplayedRange(double a, double b) override
    {
        log("view.displayedRange", {a, b}), rangeMin = a, rangeMax = b;
    }
    double* wavelengths(int k) override { return wavelengthArrays[k].data(); }
    double* plotted(int k) override { return plottedArrays[k].data(); }
    void setChartRepaint(bool on) override { log("chart.repaint", {on ? 1.0 : 0.0}); }
    void setChartXData(int k, const double*, int n) override
    {
        log("chart.x", {double(k), double(n)});
    }
    void setChartYData(int k, const double*, int n) override
    {
        log("chart.y", {double(k), double(n)});
    }
    void setChartXLimits(double a, double b) override { log("chart.xLimits", {a, b}); }
    void setChartLastPoint(int k, int p) override
    {
        log("chart.lastPoint", {double(k), double(p)});
    }
    int processingMode() override { return mode; }
    void runProcessingModeCommand(int m) override { log("view.modeCommand", {double(m)}); }

    int featuresRefreshIntervalMs() override { return intervalMs; }
    void setFeaturesRefreshIntervalMs(int v) override { intervalMs = v; }
    uint16_t configurationAdcType() override { return configuration.adcType; }

    FakeSheetConfiguration configuration;
    std::string usbSerial = "PV00042";
    uint16_t adc = VYK_ADC_PAVIK;
    uint16_t spectrometer = VYK_SPEC_ISTREL;
    std::array<int16_t, 8> enables{};
    double rangeMin = -1.0, rangeMax = -1.0;
    std::array<std::array<double, kPoints>, 8> wavelengthArrays{};
    std::array<std::array<double, kPoints>, 8> plottedArrays{};
    int mode = 0;
    int intervalMs = 0;

private:
    void log(const std::string& name, std::initializer_list<double> arguments)
    {
        m_log.push_back(callText(name, arguments));
    }
    std::vector<std::string>& m_log;
};

} // namespace app::dialogs::test
