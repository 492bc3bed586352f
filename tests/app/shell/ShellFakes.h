#pragma once

#include "app/shell/DriverApi.h"
#include "app/shell/NumberText.h"
#include "app/shell/SpectrometerConfiguration.h"

#include <string>
#include <vector>

// Records every driver call as text, in order.
class RecordingDriver : public DriverApi
{
public:
    int16_t VYK_Config(uint16_t s, uint16_t a, uint16_t i, uint16_t b) override
    {
        record(app::text::formatC("Config(%u,%u,%u,%u)", s, a, i, b));
        return 0;
    }
    int16_t VYK_ConfigEx(uint16_t s, uint16_t a, uint16_t i, uint16_t b, uint16_t port,
                         uint16_t pci) override
    {
        record(app::text::formatC("ConfigEx(%u,%u,%u,%u,%u,%u)", s, a, i, b, port, pci));
        return 0;
    }
    void VYK_EnableSLCorrection(int16_t c, int16_t e) override
    {
        record(app::text::formatC("EnableSL(%d,%d)", c, e));
    }
    void VYK_EnableNLCorrection(int16_t c, int16_t e) override
    {
        record(app::text::formatC("EnableNL(%d,%d)", c, e));
    }
    void VYK_SetSLCoef(int16_t c, float v) override
    {
        record(app::text::formatC("SetSLCoef(%d,%g)", c, static_cast<double>(v)));
    }
    void VYK_SetNLCoefs(int16_t c, const float* v) override
    {
        record(app::text::formatC("SetNLCoefs(%d,%g..%g)", c, static_cast<double>(v[0]),
                                  static_cast<double>(v[7])));
    }
    void VYK_SetKaldrisBaudRate(uint16_t v) override
    {
        record(app::text::formatC("SetKaldrisBaudRate(%u)", v));
    }
    void VYK_SetKaldrisCompressedMode(uint16_t v) override
    {
        record(app::text::formatC("SetKaldrisCompressedMode(%u)", v));
    }
    void VYK_SetKaldrisPixelResolution(uint16_t v) override
    {
        record(app::text::formatC("SetKaldrisPixelResolution(%u)", v));
    }
    void VYK_EnableMultichannelSpectra(uint16_t v) override
    {
        record(app::text::formatC("EnableMultichannel(%u)", v));
    }
    void VYK_DisableMultichannelSpectra() override { record("DisableMultichannel"); }
    std::string VYK_GetCurrentUSBSerialNumber() override
    {
        record("GetCurrentUSBSerial");
        return currentSerial;
    }
    int16_t VYK_SetCurrentUSBSerialNumber(const std::string& serial) override
    {
        record("SetCurrentUSBSerial(" + serial + ")");
        currentSerial = serial;
        return 1;
    }
    void VYK_SetLastUSBScanValid(int16_t v) override
    {
        record(app::text::formatC("SetLastUSBScanValid(%d)", v));
    }
    uint32_t VYK_GetMaximumScopeModeIntensity() override { return maximumIntensity; }
    uint16_t VYK_GetSpectrometerType() override
    {
        record("GetSpectrometerType");
        return spectrometerType;
    }
    uint16_t VYK_GetADCType() override
    {
        record("GetADCType");
        return adcType;
    }
    uint16_t VYK_GetIRQ() override
    {
        record("GetIRQ");
        return irq;
    }
    uint32_t VYK_GetBaseAddress() override
    {
        record("GetBaseAddress");
        return baseAddress;
    }
    uint16_t VYK_GetPCICardID() override
    {
        record("GetPCICardID");
        return pciCardId;
    }
    int32_t VYK_GetIntegrationTime() override
    {
        record("GetIntegrationTime");
        return integrationTime;
    }
    int16_t VYK_Register(RegistrationRecord*) override
    {
        record("Register");
        return registerResult;
    }
    void VYK_UnRegister(uint32_t key) override
    {
        record(app::text::formatC("UnRegister(%u)", key));
    }
    int16_t VYK_ParamSet(RegistrationRecord*) override
    {
        record("ParamSet");
        return 0;
    }
    int16_t VYK_BufferEmpty(uint32_t key, int16_t channel) override
    {
        record(app::text::formatC("BufferEmpty(%u,%d)", key, channel));
        return 0;
    }
    int16_t VYK_StrobeEnable(int16_t enable) override
    {
        record(app::text::formatC("StrobeEnable(%d)", enable));
        return 0;
    }
    int16_t VYK_SingleScan(uint32_t key) override
    {
        record(app::text::formatC("SingleScan(%u)", key));
        return 0;
    }
    int16_t VYK_SingleScan_Thread(uint32_t key) override
    {
        record(app::text::formatC("SingleScan_Thread(%u)", key));
        return 1;
    }
    // Not recorded: the scan start asks it before every start.
    int32_t VYK_AcquisitionThreadActive() override { return acquisitionActive; }
    void VYK_USB_ResetAllPipes() override { record("USB_ResetAllPipes"); }
    int16_t KAL_SetPixelMode(KaldrisPixelMode* mode) override
    {
        record(app::text::formatC("KAL_SetPixelMode(%d,%d,%d)", mode->mode, mode->arguments[0],
                                  mode->count));
        return 0;
    }
    std::string Pavik_GetFirmwareVersion() override
    {
        record("Pavik_GetFirmwareVersion");
        return firmwareVersion;
    }
    int16_t Pavik_SetMavrinModulation(int32_t v) override
    {
        record(app::text::formatC("Pavik_SetMavrinModulation(%d)", v));
        return 0;
    }
    int16_t Ulmar_SetTECEnable(int16_t v) override
    {
        record(app::text::formatC("Ulmar_SetTECEnable(%d)", v));
        return 0;
    }
    int16_t Xandel_EnableCooler(int16_t v) override
    {
        record(app::text::formatC("Xandel_EnableCooler(%d)", v));
        return 0;
    }
    int16_t Xandel_EnableFan(int16_t v) override
    {
        record(app::text::formatC("Xandel_EnableFan(%d)", v));
        return 0;
    }

    // The calls after the per-channel correction block of a push (the first 32 calls).
    std::vector<std::string> callsAfterCorrections() const
    {
        return calls.size() > 32 ? std::vector<std::string>(calls.begin() + 32, calls.end())
                                 : std::vector<std::string>{};
    }

    std::vector<std::string> calls;
    std::string currentSerial;
    uint32_t maximumIntensity = 4095;
    uint16_t spectrometerType = 0;
    uint16_t adcType = 255;
    uint16_t irq = 0;
    uint32_t baseAddress = 0;
    uint16_t pciCardId = 0;
    int32_t integrationTime = 100;
    int32_t acquisitionActive = 0;
    int16_t registerResult = 0;
    std::string firmwareVersion;

private:
    void record(std::string call) { calls.push_back(std::move(call)); }
};

class FakeConfigurationHost : public SpectrometerConfigurationHost
{
public:
    int manufacturingExtensionsEnabled() override { return manufacturingExtensions; }
    bool runsWithoutHardware() override { return withoutHardware; }
    bool viewHasWindow(uint32_t viewWindow) override
    {
        return viewWindow != 0 && viewWindow == liveView;
    }
    void setMainFrameUsbSerial(const std::string& serial) override { mainFrameSerial = serial; }
    std::string applicationVersion() override { return "5.1.0.7"; }
    std::string driverVersion() override { return "3.2.0.1"; }
    DriverApi& driver() override { return recorder; }

    RecordingDriver recorder;
    int manufacturingExtensions = 0;
    bool withoutHardware = false;
    uint32_t liveView = 0;
    std::string mainFrameSerial;
};
