#pragma once

#include "app/dialogs/SpectrometerSheetNeighbours.h"
#include "app/dialogs/StyleLists.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The spectrometer sheet's working copy and rules without widgets: loading from the
// configuration, the A/D Interface page's lists and what each A/D type shows, the USB
// serial-number list, "Write to BrontelUSB" and the apply steps. GUI thread.

namespace app::dialogs {

// One channel's values on the Wavelength, Displayed Range, Reference, Stray Light and
// Detector Linearity pages.
struct SpectrometerChannelSettings
{
    // Intercept, first, second, third.
    std::array<float, 4> coefficients{};
    int enabled = 0;
    float slConstant = 0.0f;
    int slEnabled = 0;
    std::array<float, 8> nlCoefficients{};
    int nlEnabled = 0;
    float displayStart = 0.0f;
    float displayEnd = 0.0f;
    // Read-only: the calibrated range when the sheet was opened.
    double firstPixelNm = 0.0;
    double lastPixelNm = 0.0;
    int referenceChannel = 0;
    int referenceType = 0;
    float referenceWavelength = 0.0f;
    float referenceBandwidthStart = 0.0f;
    float referenceBandwidthEnd = 0.0f;
};

struct SpectrometerSheetSettings
{
    static constexpr int kChannels = 8;

    std::array<SpectrometerChannelSettings, kChannels> channels{};
    uint16_t spectrometerType = 0;
    uint16_t adcType = 0;
    uint16_t irq = 0;
    uint32_t baseAddress = 0;
    uint16_t serialPort = 0;
    uint16_t pixelResolution = 1;
    uint32_t compression = 0;
    double lemmikOffset = 0.0;
    uint16_t pciCardId = 0;
    uint16_t baudRateIndex = 0;
    std::string usbSerialNumber;
    uint32_t displayLimitedRange = 0;
    // The spectrometer's serial number (Wavelength page) and whether the user edited it.
    std::string serialNumber;
    bool serialNumberEdited = false;
    // A/D Interface page: a hardware choice was made.
    bool interfaceChanged = false;

    // The working copy as the sheet's constructor loads it.
    static SpectrometerSheetSettings load(SheetConfiguration& configuration);
};

// The A/D Interface page's lists.
std::span<const char* const> spectrometerTypeNames();
std::span<const char* const> adcTypeNames();
// The A/D type of a list entry, and the entry shown for a type (unknown types show "None").
uint16_t adcTypeOfIndex(int index);
int indexOfAdcType(uint16_t adcType);
// 255 for every code the list does not name.
uint16_t knownAdcType(uint16_t adcType);
// The spectrometer-type entry of a type; -1 for a type the list does not hold.
int indexOfSpectrometerType(uint16_t spectrometerType);
// Base-address entry: "%u (0x%04x)" of index x 16 (512 entries).
std::string baseAddressText(int index);
inline constexpr int kBaseAddressEntries = 512;
std::span<const char* const> serialPortNames();
std::span<const char* const> baudRateNames();
std::span<const char* const> referenceTypeNames();
// The accepted pixel resolutions of the serial A/D converter.
inline constexpr int kMinPixelResolution = 1;
inline constexpr int kMaxPixelResolution = 500;

// Which groups of the A/D Interface page an A/D type shows.
enum class InterfaceGroup
{
    Boards, // IRQ and base address
    PciCard,
    SerialPort, // port, baud rate, pixel resolution, compression
    Usb,        // the serial-number list
    None,
};
InterfaceGroup interfaceGroup(uint16_t adcType);
bool lemmikOffsetShown(uint16_t spectrometerType);
// The per-index identify export of a USB or Java-driven A/D type; null for the others.
const char* identifyExport(uint16_t adcType, uint16_t spectrometerType);

// The USB serial-number list: the serials of device indices 0 to 31 whose identify call
// answers 1, and the driver's current serial.
struct UsbSerialList
{
    std::vector<std::string> serials;
    std::string current;
};
inline constexpr int kUsbDeviceIndices = 32;
UsbSerialList listUsbSerials(uint16_t adcType, uint16_t spectrometerType, DialogDriver& driver);

// "Write to BrontelUSB": reads the converter's record, puts in the enable mask and the page's
// coefficients and writes it back. The result of the write (0 when the read failed).
int32_t writeToBrontelUsb(const SpectrometerSheetSettings& settings, DialogDriver& driver);

// The calibrated end of a displayed range: 0 means the end itself, and the value is held
// within the calibrated range.
float clampDisplayStart(float start, double interceptNm);
float clampDisplayEnd(float end, double lastPixelNm);

// The apply steps of OK and Apply; returns the sheet's hardware-changed flag (0 or 1).
int applySpectrometerSettings(SpectrometerSheetSettings& settings, SpectrometerSheetView& view,
                              DialogDriver& driver);

} // namespace app::dialogs
