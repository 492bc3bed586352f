#pragma once

#include <cstdint>
#include <memory>

namespace platform::portio {

// Port I/O of the plug-in boards: reads and writes of 1, 2 or 4 bytes at an offset
// within a registered port range (range 0 is the board's base address space). Backends:
// the no-op one below; simulated boards and the raw backend implement the same
// interface. Implementations must be safe to call from any thread.
class PortIo
{
public:
    virtual ~PortIo() = default;

    // The value read, or 0 when the port cannot be read.
    virtual std::uint32_t readPort(int range, std::uint32_t offset, int widthBytes) = 0;
    // Whether the write was done.
    virtual bool writePort(int range, std::uint32_t offset, int widthBytes,
                           std::uint32_t value) = 0;
};

// A backend without hardware: reads answer 0, writes are accepted and dropped.
class NoPortIo final : public PortIo
{
public:
    std::uint32_t readPort(int range, std::uint32_t offset, int widthBytes) override;
    bool writePort(int range, std::uint32_t offset, int widthBytes, std::uint32_t value) override;
};

// The shared no-op backend.
std::shared_ptr<PortIo> noPortIo();

} // namespace platform::portio
