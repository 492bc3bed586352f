#include "app/automation/I_SpecSpecInterface.h"

#include "platform/automation/DispatchBinder.h"

using platform::automation::DispatchBinder;
using platform::automation::DispatchTable;
using Configuration = CSpectrometerConfiguration;

namespace {

// The type codes are 16-bit fields: a long beyond them would be stored as another code.
bool fitsCode(int32_t value)
{
    return value >= 0 && value <= 0xFFFF;
}

} // namespace

const DispatchTable& I_SpecSpecInterface::table()
{
    static const DispatchTable t = [] {
        using C = I_SpecSpecInterface;
        DispatchBinder<C> b;
        b.property("Autolock", &C::GetAutolock, &C::SetAutolock)
            .property("SerialNumber", &C::GetSerialNumber, &C::SetSerialNumber)
            .property("ADCType", &C::GetADCType, &C::SetADCType)
            .property("SpectrometerType", &C::GetSpectrometerType, &C::SetSpectrometerType)
            .property("IRQ", &C::GetIRQ, &C::SetIRQ)
            .property("BaseAddress", &C::GetBaseAddress, &C::SetBaseAddress)
            .property("SerialPort", &C::GetSerialPort, &C::SetSerialPort)
            .property("USBSerialNumber", &C::GetUSBSerialNumber, &C::SetUSBSerialNumber)
            .property("Initialized", &C::GetInitialized, &C::SetInitialized)
            .property("BrontelRotation", &C::GetBrontelRotation, &C::SetBrontelRotation)
            .property("PCICardID", &C::GetPCICardID, &C::SetPCICardID)
            .property("SerialADCResolution", &C::GetSerialADCResolution, &C::SetSerialADCResolution)
            .property("SerialADCCompression", &C::GetSerialADCCompression,
                      &C::SetSerialADCCompression)
            .property("SerialADCBaudRate", &C::GetSerialADCBaudRate, &C::SetSerialADCBaudRate)
            .property("LemmikOffset", &C::GetLemmikOffset, &C::SetLemmikOffset);
        addWindowMembers(b);
        b.indexedProperty("ChannelEnabled", &C::GetChannelEnabled, &C::SetChannelEnabled,
                          {"channel"});
        return b.table();
    }();
    return t;
}

bool I_SpecSpecInterface::GetAutolock()
{
    return onConfiguration(false, [](Configuration& c) { return c.GetAutoApply() != 0; });
}

void I_SpecSpecInterface::SetAutolock(bool value)
{
    withConfiguration([&](Configuration& c) { c.SetAutoApply(value ? 1 : 0); });
}

std::string I_SpecSpecInterface::GetSerialNumber()
{
    return onConfiguration(std::string(), [](Configuration& c) { return c.GetSerialNumber(); });
}

void I_SpecSpecInterface::SetSerialNumber(const std::string& value)
{
    withConfiguration([&](Configuration& c) { c.SetSerialNumber(value); });
}

int32_t I_SpecSpecInterface::GetADCType()
{
    return onConfiguration(int32_t{0}, [](Configuration& c) { return int32_t{c.GetADCType()}; });
}

void I_SpecSpecInterface::SetADCType(int32_t value)
{
    if (fitsCode(value))
        withConfiguration([&](Configuration& c) { c.SetADCType(static_cast<uint16_t>(value)); });
}

int32_t I_SpecSpecInterface::GetSpectrometerType()
{
    return onConfigurationSilently(
        int32_t{0}, [](Configuration& c) { return int32_t{c.GetSpectrometerType()}; });
}

void I_SpecSpecInterface::SetSpectrometerType(int32_t value)
{
    if (fitsCode(value))
        withConfiguration(
            [&](Configuration& c) { c.SetSpectrometerType(static_cast<uint16_t>(value)); });
}

int16_t I_SpecSpecInterface::GetIRQ()
{
    return onConfiguration(int16_t{0},
                           [](Configuration& c) { return static_cast<int16_t>(c.GetIRQ()); });
}

void I_SpecSpecInterface::SetIRQ(int16_t value)
{
    onConfigurationSilently(false, [&](Configuration& c) {
        c.SetIRQ(static_cast<uint16_t>(value));
        return true;
    });
}

int32_t I_SpecSpecInterface::GetBaseAddress()
{
    return onConfiguration(
        int32_t{0}, [](Configuration& c) { return static_cast<int32_t>(c.GetBaseAddress()); });
}

void I_SpecSpecInterface::SetBaseAddress(int32_t value)
{
    // The address uses all 32 bits: above 0x7FFFFFFF a script passes it as a negative long.
    withConfiguration([&](Configuration& c) { c.SetBaseAddress(static_cast<uint32_t>(value)); });
}

int16_t I_SpecSpecInterface::GetSerialPort()
{
    return onConfiguration(
        int16_t{0}, [](Configuration& c) { return static_cast<int16_t>(c.GetSerialPort()); });
}

void I_SpecSpecInterface::SetSerialPort(int16_t value)
{
    withConfiguration([&](Configuration& c) { c.SetSerialPort(static_cast<uint16_t>(value)); });
}

std::string I_SpecSpecInterface::GetUSBSerialNumber()
{
    return onConfiguration(std::string(), [](Configuration& c) { return c.GetUSBSerialNumber(); });
}

void I_SpecSpecInterface::SetUSBSerialNumber(const std::string& value)
{
    withConfiguration([&](Configuration& c) { c.SetUSBSerialNumber(value); });
}

bool I_SpecSpecInterface::GetInitialized()
{
    return onConfiguration(false, [](Configuration& c) { return c.GetInitialized() != 0; });
}

void I_SpecSpecInterface::SetInitialized(bool value)
{
    withConfiguration([&](Configuration& c) { c.SetInitialized(value ? 1 : 0); });
}

int16_t I_SpecSpecInterface::GetBrontelRotation()
{
    return onConfiguration(
        int16_t{0}, [](Configuration& c) { return static_cast<int16_t>(c.GetChannelRotation()); });
}

void I_SpecSpecInterface::SetBrontelRotation(int16_t value)
{
    withConfiguration(
        [&](Configuration& c) { c.SetChannelRotation(static_cast<uint16_t>(value)); });
}

int16_t I_SpecSpecInterface::GetPCICardID()
{
    return onConfiguration(int16_t{0},
                           [](Configuration& c) { return static_cast<int16_t>(c.GetPCICardID()); });
}

void I_SpecSpecInterface::SetPCICardID(int16_t value)
{
    withConfiguration([&](Configuration& c) { c.SetPCICardID(static_cast<uint16_t>(value)); });
}

int16_t I_SpecSpecInterface::GetSerialADCResolution()
{
    return onConfiguration(int16_t{0}, [](Configuration& c) {
        return static_cast<int16_t>(c.GetSerialPortResolution());
    });
}

void I_SpecSpecInterface::SetSerialADCResolution(int16_t value)
{
    withConfiguration(
        [&](Configuration& c) { c.SetSerialPortResolution(static_cast<uint16_t>(value)); });
}

bool I_SpecSpecInterface::GetSerialADCCompression()
{
    return onConfiguration(false, [](Configuration& c) { return c.GetKaldrisCompression() != 0; });
}

void I_SpecSpecInterface::SetSerialADCCompression(bool value)
{
    withConfiguration([&](Configuration& c) { c.SetKaldrisCompression(value ? 1 : 0); });
}

int16_t I_SpecSpecInterface::GetSerialADCBaudRate()
{
    return onConfiguration(int16_t{0}, [](Configuration& c) {
        return static_cast<int16_t>(c.GetSerialPortBaudRate());
    });
}

void I_SpecSpecInterface::SetSerialADCBaudRate(int16_t value)
{
    withConfiguration(
        [&](Configuration& c) { c.SetSerialPortBaudRate(static_cast<uint16_t>(value)); });
}

double I_SpecSpecInterface::GetLemmikOffset()
{
    return onConfiguration(0.0, [](Configuration& c) { return c.GetLemmikOffset(); });
}

void I_SpecSpecInterface::SetLemmikOffset(double value)
{
    if (std::isfinite(value))
        withConfiguration([&](Configuration& c) { c.SetLemmikOffset(value); });
}

bool I_SpecSpecInterface::GetChannelEnabled(int16_t channel)
{
    return onChannel(channel, false,
                     [&](Configuration& c) { return c.GetChannelEnabled(channel) != 0; });
}

void I_SpecSpecInterface::SetChannelEnabled(int16_t channel, bool value)
{
    withChannel(channel, [&](Configuration& c) { c.SetChannelEnabled(channel, value ? 1 : 0); });
}
