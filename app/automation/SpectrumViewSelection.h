#pragma once

#include "app/automation/ViewSelection.h"

#include <cstdint>
#include <string>

// The spectrum window an automation object acts on. Until a choosing operation finds a window,
// every use follows the order of choice (the active spectrum window, else the first); a window
// chosen by title or by its spectrometer's identity then holds until GetTargetView or until
// it closes. GUI thread only.
class CSpectrumViewSelection : public ViewSelection
{
public:
    CSpectrumViewSelection();

    uint32_t SetByWindowName(const std::string& title) { return SetByName(title); }
    // The first window whose USB serial number equals serial ignoring case.
    uint32_t SetByUSBSerialNumber(const std::string& serial);
    // The first window whose serial port, IRQ or base address equals the argument. The 16-bit
    // fields are taken unsigned, so a negative argument matches none of them.
    uint32_t SetBySerialPort(int32_t port);
    uint32_t SetByIRQ(int32_t irq);
    uint32_t SetByBaseAddress(int32_t address);
};
