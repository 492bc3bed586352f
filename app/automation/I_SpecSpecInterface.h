#pragma once

#include "app/automation/SpectrometerConfigurationObject.h"
#include "platform/automation/DispatchTable.h"

#include <cstdint>
#include <string>

// "Harlune.SpecSpecInterface": the hardware interface and identity fields of the target
// spectrum window's spectrometer configuration. Puts go through the configuration's setters,
// so those that apply push the whole configuration to the driver while Autolock is on;
// PCICardID, LemmikOffset and ChannelEnabled are stored only. A code that does not fit its
// 16-bit field, a non-finite offset or a channel outside 0 to 7 changes nothing. GUI thread
// only.
class I_SpecSpecInterface : public SpectrometerConfigurationObject
{
public:
    static I_SpecSpecInterface* create() { return new I_SpecSpecInterface(); }
    static const platform::automation::DispatchTable& table();
    const platform::automation::DispatchTable& GetDispatchMap() const override { return table(); }

    bool GetAutolock();
    void SetAutolock(bool value);
    std::string GetSerialNumber();
    void SetSerialNumber(const std::string& value);
    int32_t GetADCType();
    void SetADCType(int32_t value);
    // Answers 0 for any failure, without a log line.
    int32_t GetSpectrometerType();
    void SetSpectrometerType(int32_t value);
    int16_t GetIRQ();
    // Does nothing further on any failure, without a log line.
    void SetIRQ(int16_t value);
    int32_t GetBaseAddress();
    void SetBaseAddress(int32_t value);
    int16_t GetSerialPort();
    void SetSerialPort(int16_t value);
    std::string GetUSBSerialNumber();
    void SetUSBSerialNumber(const std::string& value);
    bool GetInitialized();
    void SetInitialized(bool value);
    int16_t GetBrontelRotation();
    void SetBrontelRotation(int16_t value);
    int16_t GetPCICardID();
    void SetPCICardID(int16_t value);
    int16_t GetSerialADCResolution();
    void SetSerialADCResolution(int16_t value);
    bool GetSerialADCCompression();
    void SetSerialADCCompression(bool value);
    int16_t GetSerialADCBaudRate();
    void SetSerialADCBaudRate(int16_t value);
    double GetLemmikOffset();
    void SetLemmikOffset(double value);
    bool GetChannelEnabled(int16_t channel);
    void SetChannelEnabled(int16_t channel, bool value);

private:
    I_SpecSpecInterface() : SpectrometerConfigurationObject("I_SpecSpecInterface") {}
    ~I_SpecSpecInterface() override = default;
};
