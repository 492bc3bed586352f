#pragma once

#include "platform/portio/InterruptSignal.h"
#include "platform/portio/PortIo.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace sim::boards {

// The boards a SimulatedBoard can stand for.
enum class BoardKind
{
    Dovrin,    // ISA, FIFO from pixel 0
    Brontel,   // ISA, FIFO from pixel 1
    Fornic,    // PC-104: as Brontel, with bit 11 of every sample inverted
    CadrelPci, // PCI: 16-bit registers in range 1, rotator modes
    Daq700,    // samples through the board opcodes of a transfer list
};

// One port write as the board saw it.
struct PortWrite
{
    int range;
    std::uint32_t offset;
    int width;
    std::uint32_t value;
    bool operator==(const PortWrite&) const = default;
};

// A simulated A/D board behind the port-I/O interface. It logs every port write; arming a
// conversion fills its FIFO with the scripted 12-bit pattern of the armed channel (or the
// multiplexed or rotated stream) and raises its interrupt once the period programmed into
// its timing counter has passed (at once while none is programmed); reads of the status
// register show the trigger input on bit 3. Faults: no interrupt at all, or interrupts
// held back until the test releases them (a late interrupt). Any thread.
class SimulatedBoard final : public platform::portio::PortIo
{
public:
    explicit SimulatedBoard(BoardKind kind);

    // The 12-bit value the board delivers for a channel's pixel.
    static std::uint16_t pixelValue(int channel, int pixel);

    // Faults and inputs.
    void setNoInterrupt(bool on);
    void setLateInterrupt(bool on);
    // Raises the interrupts held back while late interrupts were on; how many.
    int releaseLateInterrupts();
    void setTriggerInput(bool present);
    void setPciPlus(bool plus);
    void setDigitalInput(std::uint16_t value);

    // What happened so far.
    std::vector<PortWrite> writes() const;
    void clearWrites();
    // Waits, at most `bound`, until `count` writes were logged; whether they were.
    bool waitForWrites(std::size_t count, std::chrono::milliseconds bound) const;
    int interruptsRaised() const;
    int armCount() const;
    // Whether the interrupt line is routed (enableInterrupt on).
    bool interruptEnabled() const;
    // The period between arming and the interrupt, from the last timing counter written:
    // ISA counter 0 at 4 counts a ms when it holds a rate (above 4), else counter 2 in ms;
    // CadrelPCI register 4 in ms; DAQ700 counter 1 at 2 ms a count or counter 2 (rate
    // mode) in ms. 0 before any.
    std::uint32_t programmedPeriodMs() const;

    std::uint32_t readPort(int range, std::uint32_t offset, int widthBytes) override;
    bool writePort(int range, std::uint32_t offset, int widthBytes, std::uint32_t value) override;
    bool readPortBlock(int range, std::uint32_t offset, int widthBytes,
                       std::span<std::uint8_t> out) override;
    bool mapRange(int range, std::uint32_t base, std::uint32_t count) override;
    bool runSpecialEntry(int range, const platform::portio::TransferEntry& entry,
                         std::span<std::uint8_t> extra) override;
    bool enableInterrupt(int irq, bool on) override;
    platform::portio::InterruptWait waitInterrupt(std::uint32_t boundMs) override;
    void wakeInterruptWaiter() override;

private:
    void armLocked(int channel);
    std::uint16_t wireSample(int channel, int pixel) const;
    std::uint16_t popFifoLocked();
    void raiseLocked();
    void noteTimingLocked(int range, std::uint32_t offset, std::uint32_t value);

    const BoardKind m_kind;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_written;
    std::vector<PortWrite> m_writes;
    std::deque<std::uint16_t> m_fifo;
    std::vector<std::uint16_t> m_listSamples; // the DAQ700's samples of the armed channel
    bool m_noInterrupt = false;
    bool m_late = false;
    int m_held = 0;
    int m_raised = 0;
    int m_arms = 0;
    bool m_trigger = false;
    bool m_pciPlus = false;
    bool m_interruptOn = false;
    std::uint16_t m_digitalInput = 0;
    std::uint32_t m_multiplexer = 0;  // ISA port 7, CadrelPCI register 14
    std::uint32_t m_rotatorCount = 8; // CadrelPCI register 0
    int m_daqChannel = 0;
    // Timing counters are written a byte at a time after a control word that names them.
    std::uint32_t m_counterControl = 0;
    std::uint32_t m_counterLow = 0;
    bool m_counterHalf = false;
    std::uint32_t m_isaRate = 0; // ISA counter 0
    std::uint32_t m_periodMs = 0;
    // Interrupts raised but not yet due, earliest first.
    std::deque<std::chrono::steady_clock::time_point> m_due;
    std::atomic<std::uint64_t> m_wakes{0};
    platform::portio::InterruptSignal m_signal;
};

} // namespace sim::boards
