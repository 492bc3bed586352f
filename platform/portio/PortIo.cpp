#include "platform/portio/PortIo.h"

#include "platform/portio/InterruptSignal.h"

namespace platform::portio {

bool PortIo::readPortBlock(int range, std::uint32_t offset, int widthBytes,
                           std::span<std::uint8_t> out)
{
    if (widthBytes != 1 && widthBytes != 2 && widthBytes != 4)
        return false;
    const auto width = static_cast<std::size_t>(widthBytes);
    for (std::size_t at = 0; at + width <= out.size(); at += width) {
        const std::uint32_t value = readPort(range, offset, widthBytes);
        for (std::size_t b = 0; b < width; ++b)
            out[at + b] = static_cast<std::uint8_t>(value >> (8 * b));
    }
    return true;
}

bool PortIo::mapRange(int, std::uint32_t, std::uint32_t)
{
    return true;
}

bool PortIo::runSpecialEntry(int, const TransferEntry&, std::span<std::uint8_t>)
{
    return true;
}

bool PortIo::enableInterrupt(int, bool)
{
    return true;
}

namespace {

// Backends without interrupts still wait their bound, so an interrupt thread on them
// neither spins nor outlives a stop request by more than one bound.
InterruptSignal& idleSignal()
{
    static InterruptSignal signal;
    return signal;
}

} // namespace

InterruptWait PortIo::waitInterrupt(std::uint32_t boundMs)
{
    idleSignal().wait(boundMs);
    return InterruptWait::Timeout;
}

void PortIo::wakeInterruptWaiter()
{
    idleSignal().wake();
}

std::uint32_t NoPortIo::readPort(int, std::uint32_t, int)
{
    return 0;
}

bool NoPortIo::writePort(int, std::uint32_t, int, std::uint32_t)
{
    return true;
}

std::shared_ptr<PortIo> noPortIo()
{
    static const std::shared_ptr<PortIo> backend = std::make_shared<NoPortIo>();
    return backend;
}

} // namespace platform::portio
