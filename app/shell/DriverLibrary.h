#pragma once

#include "app/shell/DriverApi.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

// The driver library bound at its first call: the library is opened (dlopen) when the
// program first calls into it, and each function is looked up when it is first used. A
// missing library or function is reported once through the report function (a clear
// message for the user) and every call then answers a neutral result instead of crashing.
// GUI thread.
class DriverLibrary : public DriverApi
{
public:
    using Report = std::function<void(const std::string& message)>;

    // libraryName is what dlopen is given (found beside the program through its run path).
    explicit DriverLibrary(std::string libraryName = "libVYKDRV32.so", Report report = {});
    ~DriverLibrary() override;
    DriverLibrary(const DriverLibrary&) = delete;
    DriverLibrary& operator=(const DriverLibrary&) = delete;

    // Opens the library when not yet done; false when it cannot be loaded.
    bool load();
    bool isLoaded() const { return m_handle != nullptr; }
    // The library's file as the dynamic loader found it (empty until loaded).
    std::string loadedPath() const;
    // The address of an export, or null when the library or the function is missing (each
    // missing name is reported once).
    void* symbol(const char* name);
    std::string moduleFileName() override { return loadedPath(); }

    int16_t VYK_Config(uint16_t spectrometerType, uint16_t adcType, uint16_t irq,
                       uint16_t baseAddress) override;
    int16_t VYK_ConfigEx(uint16_t spectrometerType, uint16_t adcType, uint16_t irq,
                         uint16_t baseAddress, uint16_t serialPort, uint16_t pciCardId) override;
    void VYK_EnableSLCorrection(int16_t channel, int16_t enable) override;
    void VYK_EnableNLCorrection(int16_t channel, int16_t enable) override;
    void VYK_SetSLCoef(int16_t channel, float constant) override;
    void VYK_SetNLCoefs(int16_t channel, const float* coefficients) override;
    void VYK_SetKaldrisBaudRate(uint16_t baudRateCode) override;
    void VYK_SetKaldrisCompressedMode(uint16_t compressed) override;
    void VYK_SetKaldrisPixelResolution(uint16_t resolution) override;
    void VYK_EnableMultichannelSpectra(uint16_t rotation) override;
    void VYK_DisableMultichannelSpectra() override;
    std::string VYK_GetCurrentUSBSerialNumber() override;
    int16_t VYK_SetCurrentUSBSerialNumber(const std::string& serial) override;
    void VYK_SetLastUSBScanValid(int16_t valid) override;
    uint32_t VYK_GetMaximumScopeModeIntensity() override;
    uint16_t VYK_GetSpectrometerType() override;
    uint16_t VYK_GetADCType() override;
    uint16_t VYK_GetIRQ() override;
    uint32_t VYK_GetBaseAddress() override;
    uint16_t VYK_GetPCICardID() override;
    int32_t VYK_GetIntegrationTime() override;
    int16_t VYK_Register(RegistrationRecord* record) override;
    void VYK_UnRegister(uint32_t instanceKey) override;
    int16_t VYK_ParamSet(RegistrationRecord* record) override;
    int16_t VYK_BufferEmpty(uint32_t instanceKey, int16_t channel) override;
    int16_t VYK_StrobeEnable(int16_t enable) override;
    int16_t VYK_SingleScan(uint32_t instanceKey) override;
    int16_t VYK_SingleScan_Thread(uint32_t instanceKey) override;
    int32_t VYK_AcquisitionThreadActive() override;
    void VYK_USB_ResetAllPipes() override;
    int16_t KAL_SetPixelMode(KaldrisPixelMode* pixelMode) override;
    std::string Pavik_GetFirmwareVersion() override;
    int16_t Pavik_SetMavrinModulation(int32_t modulation) override;
    int16_t Ulmar_SetTECEnable(int16_t enable) override;
    int16_t Xandel_EnableCooler(int16_t enable) override;
    int16_t Xandel_EnableFan(int16_t enable) override;

private:
    // Calls the export `name` of type Fn with args, or answers fallback when it is missing.
    template <typename Function, typename R, typename... Args>
    R callExport(const char* name, R fallback, Args... args);
    void reportOnce(const std::string& key, const std::string& message);

    std::string m_libraryName;
    Report m_report;
    void* m_handle = nullptr;
    bool m_loadFailed = false;
    std::map<std::string, void*> m_bound;
    std::set<std::string> m_reported;
};
