#include "driver/core/SetupDialog.h"

#include "driver/core/DriverConfig.h"
#include "driver/core/DriverStartup.h"
#include "driver/core/DriverState.h"
#include "driver/core/OperationSetSelector.h"
#include "driver/include/vykdrv32.h"
#include "driver/include/vykdrv32_brontelusb.h"
#include "driver/include/vykdrv32_java.h"
#include "driver/include/vykdrv32_usb.h"
#include "driver/include/vykdrv32_xandel.h"
#include "driver/java/JavaConnection.h"
#include "driver/java/JavaModels.h"
#include "driver/serial/SerialAdc.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <vector>

namespace driver::core {
namespace {

struct NamedType
{
    const char* name;
    std::uint16_t type;
};

constexpr std::array kSpectrometers = {
    NamedType{"Gavrel/Hesket/Elvast", VYK_SPEC_GAVREL},
    NamedType{"Istrel/Fornic/PC104/Pavik/Solvi", VYK_SPEC_ISTREL},
    NamedType{"IstrelBT", VYK_SPEC_ISTRELBT},
    NamedType{"Lemmik", VYK_SPEC_LEMMIK},
    NamedType{"Wessor", VYK_SPEC_WESSOR},
    NamedType{"Velko", VYK_SPEC_VELKO},
    NamedType{"Jolvar", VYK_SPEC_JOLVAR},
    NamedType{"Ulmar", VYK_SPEC_ULMAR},
};

constexpr std::array kAdcs = {
    NamedType{"Dovrin/Elvast", VYK_ADC_DOVRIN},
    NamedType{"Brontel-ISA/Fornic", VYK_ADC_BRONTEL},
    NamedType{"Brontel-USB", VYK_ADC_BRONTELUSB},
    NamedType{"Cadrel-PCI", VYK_ADC_CADRELPCI},
    NamedType{"DAQ700", VYK_ADC_DAQ700},
    NamedType{"Solvi", VYK_ADC_SOLVI},
    NamedType{"Xandel", VYK_ADC_XANDEL},
    NamedType{"Fornic-PC104", VYK_ADC_FORNICPC104},
    NamedType{"Serial (RS-232) A/D", VYK_ADC_SERIAL},
    NamedType{"Pavik", VYK_ADC_PAVIK},
    NamedType{"Trevan", VYK_ADC_TREVAN},
    NamedType{"Solvi+", VYK_ADC_SOLVIPLUS},
    NamedType{"Ulmar", VYK_ADC_ULMARADC},
    NamedType{"Pavik+", VYK_ADC_PAVIKPLUS},
    NamedType{"Quarn", VYK_ADC_QUARN},
    NamedType{"NONE", VYK_ADC_NONE},
};

constexpr std::array<const char*, 7> kBauds = {"2400",  "4800",  "9600",  "19200",
                                               "38400", "57600", "115200"};

constexpr int kBaseAddresses = 8176 / 16 + 1;
constexpr const char* kFirstAvailable = "First Available ";

// The model word of the USB serial list's first entry; "" for types without the list.
const char* usbModelWord(std::uint16_t adc)
{
    switch (adc) {
    case VYK_ADC_PAVIK:
        return "Pavik";
    case VYK_ADC_BRONTELUSB:
        return "Brontel-USB";
    case VYK_ADC_SOLVI:
        return "Solvi";
    case VYK_ADC_XANDEL:
        return "Xandel";
    case VYK_ADC_TREVAN:
        return "Trevan";
    case VYK_ADC_SOLVIPLUS:
        return "Solvi+";
    case VYK_ADC_ULMARADC:
        return "Ulmar";
    case VYK_ADC_PAVIKPLUS:
        return "Pavik+";
    case VYK_ADC_QUARN:
        return "Quarn";
    default:
        return "";
    }
}

// The serials of the attached devices of the A/D type's family, in device order.
std::vector<std::string> attachedSerials(std::uint16_t spectrometer, std::uint16_t adc)
{
    std::vector<std::string> serials;
    if (const java::JavaModel* model = java::javaModelForAdc(adc)) {
        std::array<JavaDeviceSlot, VYK_JAVA_DEVICE_SLOTS> list{};
        java::identifyAllJava(*model, list.data());
        for (const JavaDeviceSlot& slot : list) {
            if (slot.found && slot.serial[0] != '\0')
                serials.emplace_back(slot.serial, strnlen(slot.serial, sizeof slot.serial));
        }
        return serials;
    }
    int32_t (*identify)(int32_t, char*) = nullptr;
    switch (adc) {
    case VYK_ADC_PAVIK:
        identify = Pavik_IdentifyPavik;
        break;
    case VYK_ADC_SOLVI:
        identify = Solvi_IdentifySolvi;
        break;
    case VYK_ADC_BRONTELUSB:
        identify = BrontelUSB_IdentifyBrontelUSB;
        break;
    case VYK_ADC_XANDEL:
        identify = spectrometer == VYK_SPEC_WESSOR ? Xandel_IdentifyWessor : Xandel_IdentifyVelko;
        break;
    default:
        return serials;
    }
    // Device indices 0 to 63, as the IdentifyAll exports ask them.
    for (int32_t index = 0; index < 64; ++index) {
        char serial[17] = {}; // the identify calls write at most 16 bytes
        if (identify(index, serial) == 1 && serial[0] != '\0')
            serials.emplace_back(serial, strnlen(serial, 16));
    }
    return serials;
}

template <std::size_t N> int indexOf(const std::array<NamedType, N>& list, std::uint16_t type)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (list[i].type == type)
            return static_cast<int>(i);
    }
    return -1;
}

bool inRange(int index, int count)
{
    return index >= 0 && index < count;
}

// Marks the client in use for re-initialisation, so its timing is sent to the device again
// (the lock is not held across the call).
void resetCurrentTiming(DriverState& state)
{
    RegistrationRecord* current = nullptr;
    OperationSet ops;
    {
        std::lock_guard lock(state.mutex);
        current = state.current;
        ops = state.ops;
    }
    if (current && ops.ResetAndApplyTiming)
        ops.ResetAndApplyTiming(current);
}

} // namespace

SetupDialog::SetupDialog()
{
    {
        DriverState& state = driverState();
        std::lock_guard lock(state.mutex);
        m_spectrometerType = state.spectrometerType;
        m_adcType = state.adcType == 3 || state.adcType == 5 ? std::uint16_t{VYK_ADC_SERIAL}
                                                             : state.adcType;
        m_baseAddress = state.baseAddress;
        m_irq = state.irq;
        m_serialPort = state.serialPort;
        m_pciCardId = state.pciCardId;
        m_baudIndex = state.serialPortBaudIndex;
        m_firstPixel = state.firstPixel;
        m_pixelResolution = state.kaldrisPixelResolution;
        m_compress = state.compressKalData;
        m_usbSerial = state.usbSerialNumber;
        m_configuredAdcType = m_adcType;
    }
    // Listing asks the devices: not under the mutex. Listing another Java-driven type
    // loads its driver in place of the configured one, so the device in use is noted first.
    if (const java::JavaModel* model = java::javaModelForAdc(m_configuredAdcType))
        m_javaDevice = java::javaDeviceInUse(*model);
    refillUsbSerials();
}

bool SetupDialog::restoreConfiguredJavaDevice()
{
    const java::JavaModel* model = java::javaModelForAdc(m_configuredAdcType);
    if (!model || !java::restoreJavaDevice(*model, m_javaDevice))
        return false;
    // The device reopened has lost its integration time and strobe: the next timing
    // application sends them again.
    DriverState& state = driverState();
    std::lock_guard lock(state.mutex);
    state.reopen = true;
    return true;
}

void SetupDialog::cancel()
{
    if (!restoreConfiguredJavaDevice())
        return;
    resetCurrentTiming(driverState());
}

void SetupDialog::refillUsbSerials()
{
    m_usbModelWord = usbModelWord(m_adcType);
    m_usbSerials = m_usbModelWord.empty() ? std::vector<std::string>{}
                                          : attachedSerials(m_spectrometerType, m_adcType);
    m_usbSelection = 0;
    if (m_usbModelWord.empty() || m_usbSerial.empty())
        return;
    for (std::size_t i = 0; i < m_usbSerials.size(); ++i) {
        if (strcasecmp(m_usbSerials[i].c_str(), m_usbSerial.c_str()) == 0) {
            m_usbSelection = static_cast<int>(i) + 1;
            return;
        }
    }
    // The configured device is not attached now: it stays listed and chosen, so OK does
    // not forget it (a serial of another family is not listed).
    if (m_adcType != m_configuredAdcType)
        return;
    m_usbSerials.push_back(m_usbSerial);
    m_usbSelection = static_cast<int>(m_usbSerials.size());
}

int SetupDialog::count(SetupList list) const
{
    switch (list) {
    case SetupList::Spectrometer:
        return static_cast<int>(kSpectrometers.size());
    case SetupList::Adc:
        return static_cast<int>(kAdcs.size());
    case SetupList::BaseAddress:
        return kBaseAddresses;
    case SetupList::Irq:
        return 15;
    case SetupList::SerialPort:
        return 16;
    case SetupList::Baud:
        return static_cast<int>(kBauds.size());
    case SetupList::UsbSerial:
        return m_usbModelWord.empty() ? 0 : static_cast<int>(m_usbSerials.size()) + 1;
    case SetupList::PciCard:
        return 17;
    }
    return 0;
}

std::string SetupDialog::item(SetupList list, int index) const
{
    if (!inRange(index, count(list)))
        return {};
    const auto i = static_cast<std::size_t>(index);
    char text[32];
    switch (list) {
    case SetupList::Spectrometer:
        return kSpectrometers[i].name;
    case SetupList::Adc:
        return kAdcs[i].name;
    case SetupList::BaseAddress:
        std::snprintf(text, sizeof text, "%u (0x%04X)", static_cast<unsigned>(index * 16),
                      static_cast<unsigned>(index * 16));
        return text;
    case SetupList::Irq:
    case SetupList::SerialPort:
        return std::to_string(index + 1);
    case SetupList::Baud:
        return kBauds[i];
    case SetupList::UsbSerial:
        return index == 0 ? std::string(kFirstAvailable) + m_usbModelWord
                          : m_usbSerials[static_cast<std::size_t>(index - 1)];
    case SetupList::PciCard:
        return std::to_string(index);
    }
    return {};
}

int SetupDialog::selection(SetupList list) const
{
    switch (list) {
    case SetupList::Spectrometer:
        return indexOf(kSpectrometers, m_spectrometerType);
    case SetupList::Adc:
        return indexOf(kAdcs, m_adcType);
    case SetupList::BaseAddress:
        return m_baseAddress % 16 == 0 && inRange(m_baseAddress / 16, kBaseAddresses)
                   ? m_baseAddress / 16
                   : -1;
    case SetupList::Irq:
        return inRange(m_irq - 1, 15) ? m_irq - 1 : -1;
    case SetupList::SerialPort:
        return inRange(m_serialPort - 1, 16) ? m_serialPort - 1 : -1;
    case SetupList::Baud:
        return inRange(m_baudIndex, static_cast<int>(kBauds.size())) ? m_baudIndex : -1;
    case SetupList::UsbSerial:
        return m_usbModelWord.empty() ? -1 : m_usbSelection;
    case SetupList::PciCard:
        return inRange(m_pciCardId, 17) ? m_pciCardId : -1;
    }
    return -1;
}

void SetupDialog::select(SetupList list, int index)
{
    if (!inRange(index, count(list)))
        return;
    const auto i = static_cast<std::size_t>(index);
    switch (list) {
    case SetupList::Spectrometer:
        m_spectrometerType = kSpectrometers[i].type;
        // The Xandel's devices are listed by the detector chosen.
        if (m_adcType == VYK_ADC_XANDEL)
            refillUsbSerials();
        break;
    case SetupList::Adc:
        m_adcType = kAdcs[i].type;
        refillUsbSerials();
        break;
    case SetupList::BaseAddress:
        m_baseAddress = index * 16;
        break;
    case SetupList::Irq:
        m_irq = index + 1;
        break;
    case SetupList::SerialPort:
        m_serialPort = index + 1;
        break;
    case SetupList::Baud:
        m_baudIndex = index;
        break;
    case SetupList::UsbSerial:
        m_usbSelection = index;
        break;
    case SetupList::PciCard:
        m_pciCardId = index;
        break;
    }
}

SetupControls SetupDialog::visibleControls() const
{
    SetupControls shown;
    if (isPortBoardAdcType(m_adcType)) {
        shown.baseAddress = true;
        shown.irq = true;
        shown.firstPixel = m_spectrometerType == VYK_SPEC_ISTRELBT;
    } else if (*usbModelWord(m_adcType) != '\0') {
        shown.usbSerial = true;
    } else if (m_adcType == VYK_ADC_CADRELPCI) {
        shown.pciCard = true;
    } else if (m_adcType == VYK_ADC_SERIAL) {
        shown.serialPort = true;
        shown.baud = true;
        shown.pixelResolution = true;
        shown.compress = true;
    }
    return shown;
}

std::string SetupDialog::description() const
{
    return libraryVersionText("FileDescription");
}

std::string SetupDialog::version() const
{
    return libraryVersionText("FileVersion");
}

void SetupDialog::apply()
{
    DriverState& state = driverState();
    bool serialAdc = false;
    {
        std::lock_guard lock(state.mutex);
        serialAdc = state.adcType == VYK_ADC_SERIAL;
    }
    // A serial scan running meanwhile (the converter's port is about to change) ends first.
    if (serialAdc)
        serial::AbortSerialScan();
    const std::string chosenSerial =
        m_usbSelection > 0 && m_usbSelection <= static_cast<int>(m_usbSerials.size())
            ? m_usbSerials[static_cast<std::size_t>(m_usbSelection - 1)]
            : std::string();
    bool reconnect = false;
    {
        std::lock_guard lock(state.mutex);
        reconnect =
            m_adcType != state.adcType || m_irq != state.irq || m_serialPort != state.serialPort;
        state.spectrometerType = m_spectrometerType;
        state.baseAddress = m_baseAddress;
        state.irq = m_irq;
        state.serialPort = m_serialPort;
        state.pciCardId = m_pciCardId;
        state.firstPixel = m_firstPixel;
        state.kaldrisPixelResolution = m_pixelResolution;
        // "First Available" forgets the serial; a reconnection goes to the chosen device
        // at once.
        if (!m_usbModelWord.empty() && (chosenSerial.empty() || reconnect))
            state.usbSerialNumber = chosenSerial;
        state.compressKalData = m_compress;
        state.serialPortBaudIndex = m_baudIndex;
        if (reconnect)
            state.reopen = true;
    }
    // Without a reconnection the configured device stays the one in use.
    if (!reconnect)
        restoreConfiguredJavaDevice();
    if (reconnect) {
        DisconnectHardware();
        {
            std::lock_guard lock(state.mutex);
            state.adcType = m_adcType;
        }
        ConnectHardware();
        SelectOperationSet();
    }
    // The chosen device becomes the one in use (nothing happens when it already is).
    if (!m_usbModelWord.empty() && !chosenSerial.empty())
        VYK_SetCurrentUSBSerialNumber(chosenSerial.c_str());
    resetCurrentTiming(state);
}

} // namespace driver::core
