#include "app/automation/SpectrumViewSelection.h"

#include <cstdint>

CSpectrumViewSelection::CSpectrumViewSelection()
    : ViewSelection(ChildKind::Spectrum, "SpectrumViewSelection", Policy::Follow)
{}

uint32_t CSpectrumViewSelection::SetByUSBSerialNumber(const std::string& serial)
{
    // Windows without a USB instrument have an empty serial number: an empty text chooses none.
    if (serial.empty() || serial.size() > kMaxTitle)
        return 0;
    return chooseFirst([&](AutomationFrame& frame, uint32_t child) {
        const auto identity = frame.spectrumIdentity(child);
        return identity && equalsIgnoringCase(identity->usbSerialNumber, serial);
    });
}

uint32_t CSpectrumViewSelection::SetBySerialPort(int32_t port)
{
    return chooseFirst([&](AutomationFrame& frame, uint32_t child) {
        const auto identity = frame.spectrumIdentity(child);
        return identity && int64_t{identity->serialPort} == int64_t{port};
    });
}

uint32_t CSpectrumViewSelection::SetByIRQ(int32_t irq)
{
    return chooseFirst([&](AutomationFrame& frame, uint32_t child) {
        const auto identity = frame.spectrumIdentity(child);
        return identity && int64_t{identity->irq} == int64_t{irq};
    });
}

uint32_t CSpectrumViewSelection::SetByBaseAddress(int32_t address)
{
    // A base address uses all 32 bits: a script passes addresses above 0x7FFFFFFF as negative
    // longs.
    return chooseFirst([&](AutomationFrame& frame, uint32_t child) {
        const auto identity = frame.spectrumIdentity(child);
        return identity && identity->baseAddress == static_cast<uint32_t>(address);
    });
}
