#pragma once

#include "platform/portio/InterruptSignal.h"
#include "platform/portio/PortIo.h"

#include <array>
#include <cstdint>
#include <mutex>
#include <string>

namespace platform::portio {

// Port I/O on the machine's own ports: ioperm for each mapped range (x86 only), board
// interrupts from a UIO device ("/dev/uio<n>" named by HARLUNE_PORTIO_UIO) or, without
// one, no interrupts at all. Needs the CAP_SYS_RAWIO capability; open() says so
// clearly where the user lacks it. Any thread.
class RawPortIo final : public PortIo
{
public:
    RawPortIo() = default;
    ~RawPortIo() override;

    // Checks that raw port I/O is permitted here; false with the reason in `error`.
    bool open(std::string& error);

    std::uint32_t readPort(int range, std::uint32_t offset, int widthBytes) override;
    bool writePort(int range, std::uint32_t offset, int widthBytes, std::uint32_t value) override;
    bool mapRange(int range, std::uint32_t base, std::uint32_t count) override;
    bool enableInterrupt(int irq, bool on) override;
    InterruptWait waitInterrupt(std::uint32_t boundMs) override;
    void wakeInterruptWaiter() override;

private:
    struct Range
    {
        std::uint32_t base = 0;
        std::uint32_t count = 0;
    };
    bool portOf(int range, std::uint32_t offset, int widthBytes, std::uint32_t& port);

    std::mutex m_mutex;
    std::array<Range, 16> m_ranges{};
    int m_uioFd = -1;
    int m_wakeFd = -1;
    InterruptSignal m_idle;
};

} // namespace platform::portio
