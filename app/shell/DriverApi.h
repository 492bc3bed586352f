#pragma once

#include <cstdint>
#include <string>

struct RegistrationRecord;

// The serial converter's pixel-mode record: the mode word, 81 argument words, the count.
struct KaldrisPixelMode
{
    int16_t mode = 0;
    int16_t arguments[81] = {};
    int16_t count = 0;
};
static_assert(sizeof(KaldrisPixelMode) == 166);

// The driver library's functions as the program calls them. The program binds the real
// library at its first call (DriverLibrary); unit tests plug in a recording fake. Each member
// forwards to the export of the same name. GUI thread.
class DriverApi
{
public:
    virtual ~DriverApi() = default;

    // The file of the loaded driver library, for its version text; empty while it is not
    // loaded (and for fakes).
    virtual std::string moduleFileName() { return {}; }

    virtual int16_t VYK_Config(uint16_t spectrometerType, uint16_t adcType, uint16_t irq,
                               uint16_t baseAddress) = 0;
    virtual int16_t VYK_ConfigEx(uint16_t spectrometerType, uint16_t adcType, uint16_t irq,
                                 uint16_t baseAddress, uint16_t serialPort, uint16_t pciCardId) = 0;
    virtual void VYK_EnableSLCorrection(int16_t channel, int16_t enable) = 0;
    virtual void VYK_EnableNLCorrection(int16_t channel, int16_t enable) = 0;
    virtual void VYK_SetSLCoef(int16_t channel, float constant) = 0;
    // coefficients: 8 floats, intercept first.
    virtual void VYK_SetNLCoefs(int16_t channel, const float* coefficients) = 0;
    virtual void VYK_SetKaldrisBaudRate(uint16_t baudRateCode) = 0;
    virtual void VYK_SetKaldrisCompressedMode(uint16_t compressed) = 0;
    virtual void VYK_SetKaldrisPixelResolution(uint16_t resolution) = 0;
    virtual void VYK_EnableMultichannelSpectra(uint16_t rotation) = 0;
    virtual void VYK_DisableMultichannelSpectra() = 0;
    virtual std::string VYK_GetCurrentUSBSerialNumber() = 0;
    virtual int16_t VYK_SetCurrentUSBSerialNumber(const std::string& serial) = 0;
    virtual void VYK_SetLastUSBScanValid(int16_t valid) = 0;
    virtual uint32_t VYK_GetMaximumScopeModeIntensity() = 0;

    // The configuration the driver runs with.
    virtual uint16_t VYK_GetSpectrometerType() = 0;
    virtual uint16_t VYK_GetADCType() = 0;
    virtual uint16_t VYK_GetIRQ() = 0;
    virtual uint32_t VYK_GetBaseAddress() = 0;
    virtual uint16_t VYK_GetPCICardID() = 0;
    virtual int32_t VYK_GetIntegrationTime() = 0;

    // Registration and scans.
    virtual int16_t VYK_Register(RegistrationRecord* record) = 0;
    virtual void VYK_UnRegister(uint32_t instanceKey) = 0;
    virtual int16_t VYK_ParamSet(RegistrationRecord* record) = 0;
    // Hands a channel's buffer back to the driver after its scan was read.
    virtual int16_t VYK_BufferEmpty(uint32_t instanceKey, int16_t channel) = 0;
    virtual int16_t VYK_StrobeEnable(int16_t enable) = 0;
    virtual int16_t VYK_SingleScan(uint32_t instanceKey) = 0;
    virtual int16_t VYK_SingleScan_Thread(uint32_t instanceKey) = 0;
    // Non-zero while the driver's worker runs a scan or has been asked to.
    virtual int32_t VYK_AcquisitionThreadActive() = 0;

    // Instrument families.
    virtual void VYK_USB_ResetAllPipes() = 0;
    virtual int16_t KAL_SetPixelMode(KaldrisPixelMode* pixelMode) = 0;
    virtual std::string Pavik_GetFirmwareVersion() = 0;
    virtual int16_t Pavik_SetMavrinModulation(int32_t modulation) = 0;
    virtual int16_t Ulmar_SetTECEnable(int16_t enable) = 0;
    virtual int16_t Xandel_EnableCooler(int16_t enable) = 0;
    virtual int16_t Xandel_EnableFan(int16_t enable) = 0;
};
