#pragma once

#include "sim/usb/SimulatedUsbSpectrometer.h"

#include <array>
#include <cstdint>

namespace sim::usb {

// The BrontelUSB converter: the common command protocol, the input select (0x0B), the
// flash delay (0x0C v 0), the Lemmik set-up (0x0D) and the DAC (0x50 to 0x52). Each input
// sends a pattern of its own; an initialise (0x01) sends one block, which the host's
// resynchronisation drains. Thread-safe.
class SimulatedBrontelUsb final : public SimulatedUsbSpectrometer
{
public:
    explicit SimulatedBrontelUsb(SimIdentity identity);

    // The pixel input `input` sends at each position (12 bits).
    static std::uint16_t inputPixel(int input, std::size_t index);

    void setDacFitted(bool fitted); // a fitted DAC answers status 0xC000 and up
    std::uint16_t dacValue(int channel) const;
    bool dacInitialised() const;
    int input() const;
    int flashDelay() const;
    int lemmikSetup() const; // the value of the last 0x0D, -1 before any

protected:
    bool handleModelCommandLocked(std::span<const std::uint8_t> bytes) override;
    void queueBlockLocked() override;

private:
    int m_input = 0;
    int m_flashDelay = 0;
    int m_lemmikSetup = -1;
    bool m_dacFitted = true;
    bool m_dacInitialised = false;
    std::array<std::uint16_t, 8> m_dac{};
};

SimIdentity brontelUsbIdentity(const std::string& serial,
                               const std::string& firmware = "Brontel-USB 1.10.0");

} // namespace sim::usb
