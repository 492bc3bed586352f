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

    // The calls after the per-channel correction block of a push (the first 32 calls).
    std::vector<std::string> callsAfterCorrections() const
    {
        return calls.size() > 32 ? std::vector<std::string>(calls.begin() + 32, calls.end())
                                 : std::vector<std::string>{};
    }

    std::vector<std::string> calls;
    std::string currentSerial;
    uint32_t maximumIntensity = 4095;

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
