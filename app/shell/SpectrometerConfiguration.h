#pragma once

#include "app/shell/DriverApi.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class CINIFileSupport;

// What a spectrometer configuration reads of state it does not own. The shell implements it;
// tests use a fake.
class SpectrometerConfigurationHost
{
public:
    virtual ~SpectrometerConfigurationHost() = default;
    // The "ManufacturingExtensionsEnabled" preference (2 makes files read-mostly).
    virtual int manufacturingExtensionsEnabled() = 0;
    // True when the program runs without hardware ("/none").
    virtual bool runsWithoutHardware() = 0;
    // True while the spectrum view with this window handle still has its window.
    virtual bool viewHasWindow(uint32_t viewWindow) = 0;
    // Copies a USB serial number into the main frame's current USB serial.
    virtual void setMainFrameUsbSerial(const std::string& serial) = 0;
    virtual std::string applicationVersion() = 0;
    virtual std::string driverVersion() = 0;
    virtual DriverApi& driver() = 0;
    // Asked when a first start would ask the user for the default configuration: true when
    // nobody could answer (a start no user controls). The host then runs without hardware and
    // says so in its error log; the view asks nothing.
    virtual bool firstConfigurationUnattended() { return false; }
};

// Reference monitoring of one channel.
struct ReferenceRecord
{
    uint32_t ReferenceChannel = 0;
    uint16_t ReferenceType = 0; // 0 none, 1 single point, 2 by wavelength, 3 integrated
    float ReferenceWavelength = 0.0f;
    uint16_t ReferenceWavelengthPixel = 0;
    float ReferenceBandwidthStart = 0.0f;
    uint16_t ReferenceBandwidthStartPixel = 0;
    float ReferenceBandwidthEnd = 0.0f;
    uint16_t ReferenceBandwidthEndPixel = 0;
    // Type 2: for each pixel of this channel, the reference channel's pixel at the same
    // wavelength.
    std::array<uint16_t, 4096> pixelMap{};
};

// The hardware and calibration set-up of one spectrum window, a live mirror of one ".spec"
// file: read when made, written back when destroyed, pushed into the driver whenever a
// driver-relevant value changes (while auto-apply is on). GUI thread only.
class CSpectrometerConfiguration
{
public:
    static constexpr int kChannels = 8;
    static constexpr int kMaxPixels = 4096;

    // viewWindow: the window handle of the owning spectrum view (0 for none).
    CSpectrometerConfiguration(const std::string& fileName, uint32_t viewWindow,
                               SpectrometerConfigurationHost& host);
    ~CSpectrometerConfiguration();
    CSpectrometerConfiguration(const CSpectrometerConfiguration&) = delete;
    CSpectrometerConfiguration& operator=(const CSpectrometerConfiguration&) = delete;

    void Load(const std::string& fileName);
    // Switches to fileName and writes the configuration there; true when it was written.
    [[nodiscard]] bool SaveAs(const std::string& fileName);
    void ReadSpectrometerConfiguration();
    // Returns true when the file was written whole.
    [[nodiscard]] bool WriteSpectrometerConfiguration();
    const std::string& GetFileName() const { return m_fileName; }

    // Calibration. A channel outside 0..7 gives 0 and changes nothing.
    unsigned GetPixelCount() const;
    double PixelToWavelength(int channel, int pixel) const;
    double GetLastPixelWavelength(int channel) const;
    float GetWLIntercept(int channel) const;
    void FillWavelengthsFloat(int channel, float* wavelengths) const;
    void FillWavelengths(int channel, double* wavelengths) const;
    uint16_t WavelengthToPixel(int channel, double wavelength) const;
    // coefficients: intercept, first, second, third.
    void SetWavelengthCoefs(int channel, const float* coefficients);
    void GetWavelengthCoefs(int channel, float* coefficients) const;

    // Setters that push the configuration into the driver while auto-apply is on.
    void SetInitialized(uint32_t value);
    void SetNLEnabled(int channel, int16_t value);
    void SetSLEnabled(int channel, int16_t value);
    void SetNLCoefs(int channel, const float* coefficients); // 8 floats
    void SetSLConstant(int channel, float value);
    void SetSerialNumber(const std::string& text);
    void SetSpectrometerSubType(const std::string& text);
    void SetSpectrometerType(uint16_t value);
    void SetADCType(uint16_t value);
    void SetSerialPort(uint16_t value);
    void SetIRQ(uint16_t value);
    void SetBaseAddress(uint32_t value);
    void SetSerialPortResolution(uint16_t value);
    void SetChannelRotation(uint16_t value);
    void SetKaldrisCompression(uint32_t value);
    void SetSerialPortBaudRate(uint16_t value);
    void SetUSBSerialNumber(const std::string& text);

    uint32_t GetInitialized() const { return m_initialized; }
    int16_t GetNLEnabled(int channel) const;
    int16_t GetSLEnabled(int channel) const;
    void GetNLCoefs(int channel, float* coefficients) const;
    float GetSLConstant(int channel) const;
    const std::string& GetSerialNumber() const { return m_serialNumber; }
    const std::string& GetSpectrometerSubType() const { return m_spectrometerSubType; }
    uint16_t GetSpectrometerType() const { return m_spectrometerType; }
    uint16_t GetADCType() const { return m_adcType; }
    uint16_t GetSerialPort() const { return m_serialPort; }
    uint16_t GetIRQ() const { return m_irq; }
    uint32_t GetBaseAddress() const { return m_baseAddress; }
    uint16_t GetSerialPortResolution() const { return m_serialPortResolution; }
    uint16_t GetChannelRotation() const { return m_channelRotation; }
    uint32_t GetKaldrisCompression() const { return m_kaldrisCompression; }
    uint16_t GetSerialPortBaudRate() const { return m_serialPortBaudRate; }
    const std::string& GetUSBSerialNumber() const { return m_usbSerialNumber; }

    // Setters without a driver push.
    void SetChannelEnabled(int channel, uint16_t value);
    void SetDisplayLimitedRange(uint32_t value);
    void SetPCICardID(uint16_t value);
    void SetLemmikOffset(double value);
    void SetScopeModeSaturationThreshold(double value);
    void SetDisplayStart(int channel, float wavelength);
    void SetDisplayEnd(int channel, float wavelength);
    void SetReferenceChannel(int channel, uint32_t value);
    void SetReferenceType(int channel, uint16_t value);
    void SetReferenceWavelength(int channel, float value);
    void SetReferenceBandwidthStart(int channel, float value);
    void SetReferenceBandwidthEnd(int channel, float value);

    uint16_t GetChannelEnabled(int channel) const;
    uint32_t GetDisplayLimitedRange() const { return m_displayLimitedRange; }
    uint16_t GetPCICardID() const { return m_pciCardId; }
    double GetLemmikOffset() const { return m_lemmikOffset; }
    double GetScopeModeSaturationThreshold() const { return m_scopeModeSaturationThreshold; }
    float GetDisplayStart(int channel) const;
    float GetDisplayEnd(int channel) const;
    uint32_t GetDisplayStartPixel(int channel) const;
    uint32_t GetDisplayEndPixel(int channel) const;
    uint32_t GetReferenceChannel(int channel) const;
    uint16_t GetReferenceType(int channel) const;
    float GetReferenceWavelength(int channel) const;
    float GetReferenceBandwidthStart(int channel) const;
    float GetReferenceBandwidthEnd(int channel) const;
    uint16_t GetReferenceWavelengthPixel(int channel) const;
    uint16_t GetReferenceBandwidthStartPixel(int channel) const;
    uint16_t GetReferenceBandwidthEndPixel(int channel) const;
    // Copies GetPixelCount() entries into map.
    void GetReferencePixelMap(int channel, uint16_t* map) const;

    void SetAutoApply(int value) { m_autoApply = value; }
    int GetAutoApply() const { return m_autoApply; }

    void ApplyToDriver();

    // The ".spec" spellings of the current codes.
    const char* SpectrometerTypeName();
    const char* AdcTypeName();

    // Pixels per channel of a spectrometer type.
    static unsigned pixelCountOfType(uint16_t spectrometerType);
    static uint16_t spectrometerTypeFromName(const std::string& name);
    static uint16_t adcTypeFromName(const std::string& name);
    // Null for a code outside the table.
    static const char* spectrometerTypeNameOf(uint16_t code);
    static const char* adcTypeNameOf(uint16_t code);

private:
    void read(int manufacturingExtensions);
    void recomputeReferencePixels();
    void pushIfAutoApply();
    void selectUsbSerialInDriver();

    SpectrometerConfigurationHost& m_host;
    std::unique_ptr<CINIFileSupport> m_store;
    std::string m_fileName;

    std::string m_serialNumber;
    std::string m_spectrometerSubType;
    std::array<float, kChannels> m_wlFirst{};
    std::array<float, kChannels> m_wlSecond{};
    std::array<float, kChannels> m_wlThird{};
    std::array<float, kChannels> m_wlIntercept{};
    std::array<float, kChannels> m_slConstant{};
    std::array<std::array<float, 8>, kChannels> m_nlCoef{};
    std::array<int16_t, kChannels> m_nlEnabled{};
    std::array<int16_t, kChannels> m_slEnabled{};
    std::string m_usbSerialNumber;
    std::array<std::unique_ptr<ReferenceRecord>, kChannels> m_reference;
    int m_autoApply = 1;
    uint16_t m_adcType = 0;
    uint16_t m_irq = 0;
    uint32_t m_baseAddress = 0;
    uint16_t m_spectrometerType = 0x200;
    uint16_t m_serialPortResolution = 1;
    uint16_t m_serialPort = 0;
    uint16_t m_channelRotation = 0;
    uint16_t m_pciCardId = 0;
    std::array<float, kChannels> m_displayStart{};
    std::array<float, kChannels> m_displayEnd{};
    std::array<uint32_t, kChannels> m_displayStartPixel{};
    std::array<uint32_t, kChannels> m_displayEndPixel{};
    std::array<uint16_t, kChannels> m_channelEnabled{};
    uint32_t m_initialized = 0;
    uint32_t m_displayLimitedRange = 0;
    double m_lemmikOffset = 0.0;
    uint32_t m_kaldrisCompression = 0;
    uint16_t m_serialPortBaudRate = 6;
    std::string m_spectrometerTypeName;
    std::string m_adcTypeName;
    double m_scopeModeSaturationThreshold = 14.0;
};
