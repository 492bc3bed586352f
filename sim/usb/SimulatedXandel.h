#pragma once

#include "sim/usb/SimulatedUsbSpectrometer.h"

#include <array>
#include <cstdint>

namespace sim::usb {

// The Xandel interface with a Wessor (512 pixels) or a Velko (256 pixels): its own block
// (2 x pixels + 1 bytes, pixels XOR 0x8000), the big-endian integration command, cooler,
// gain, fan, scalar, set point, temperatures and status. After a block that lost its sync
// byte the interface sends idle bytes (0x69) until the host has drained its pipe. The
// common faults of the base apply. Thread-safe.
class SimulatedXandel final : public SimulatedUsbSpectrometer
{
public:
    SimulatedXandel(SimIdentity identity, std::size_t pixels);

    // The value of each pixel the interface measures (before the XOR of its wire format).
    static std::uint16_t xandelPixel(std::size_t index);

    bool cooler() const;
    bool highGain() const;
    bool fan() const;
    int scalar() const;
    std::int16_t setPointTenths() const;
    // Tenths of a degree: board, cooler, word 2, set point (also set by 0x3E), words 4, 5.
    void setTemperatureWords(std::array<std::uint16_t, 6> words);
    void setStatusReply(std::array<std::uint8_t, 16> reply);

protected:
    bool handleModelCommandLocked(std::span<const std::uint8_t> bytes) override;
    void queueBlockLocked() override;

private:
    std::size_t m_pixels;
    bool m_cooler = false;
    bool m_highGain = false;
    bool m_fan = false;
    int m_scalar = 0;
    std::array<std::uint16_t, 6> m_temperatures{253, 0xFFCE, 7, 0xFFCE, 8, 9};
    std::array<std::uint8_t, 16> m_status{};
};

SimIdentity wessorIdentity(const std::string& serial, const std::string& firmware = "Xandel 1.2.0");
SimIdentity velkoIdentity(const std::string& serial, const std::string& firmware = "Xandel 1.2.0");

} // namespace sim::usb
