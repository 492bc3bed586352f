#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace platform::portio {

class TransferEntry;

// What a wait for a board interrupt ended with.
enum class InterruptWait
{
    Interrupt, // the board raised its interrupt
    Timeout,   // nothing within the bound (also after wakeInterruptWaiter)
    Failed,    // the backend cannot deliver interrupts any more
};

// Port I/O of the plug-in boards: reads and writes of 1, 2 or 4 bytes at an offset
// within a registered port range (range 0 is the board's base address space), block
// reads, the board-specific operations of transfer lists, and interrupt delivery.
// Backends: the no-op one below, the simulated boards of sim/ and the raw backend.
// Implementations must be safe to call from any thread.
class PortIo
{
public:
    virtual ~PortIo() = default;

    // The value read, or 0 when the port cannot be read.
    virtual std::uint32_t readPort(int range, std::uint32_t offset, int widthBytes) = 0;
    // Whether the write was done.
    virtual bool writePort(int range, std::uint32_t offset, int widthBytes,
                           std::uint32_t value) = 0;

    // Reads out.size() / widthBytes values from one port into `out` (little-endian).
    virtual bool readPortBlock(int range, std::uint32_t offset, int widthBytes,
                               std::span<std::uint8_t> out);

    // Maps `count` ports from `base` as range `range`.
    virtual bool mapRange(int range, std::uint32_t base, std::uint32_t count);

    // Runs one entry of a transfer list whose opcode is not a plain read or write (the
    // board-specific opcodes); `extra` is the list's extra area.
    virtual bool runSpecialEntry(int range, const TransferEntry& entry,
                                 std::span<std::uint8_t> extra);

    // Routes the board's interrupt line to waitInterrupt (on) or stops it (off).
    virtual bool enableInterrupt(int irq, bool on);

    // Waits at most `boundMs` for the board's interrupt.
    virtual InterruptWait waitInterrupt(std::uint32_t boundMs);
    // Ends a running waitInterrupt early (it answers Timeout).
    virtual void wakeInterruptWaiter();
};

// A backend without hardware: reads answer 0, writes are accepted and dropped, no
// interrupt ever comes.
class NoPortIo final : public PortIo
{
public:
    std::uint32_t readPort(int range, std::uint32_t offset, int widthBytes) override;
    bool writePort(int range, std::uint32_t offset, int widthBytes, std::uint32_t value) override;
};

// The shared no-op backend.
std::shared_ptr<PortIo> noPortIo();

} // namespace platform::portio
