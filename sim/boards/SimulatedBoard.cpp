#include "sim/boards/SimulatedBoard.h"

#include "platform/portio/TransferList.h"

#include <algorithm>

namespace sim::boards {
namespace {

constexpr int kFifoPixels = 2048;
// Bits above the 12 significant ones carry noise, so readers must mask them.
constexpr std::uint16_t kHighNoise = 0xA000;

// ISA ports.
constexpr std::uint32_t kIsaControl = 4;
constexpr std::uint32_t kIsaStatus = 5;
constexpr std::uint32_t kIsaFifo = 6;
constexpr std::uint32_t kIsaMultiplexer = 7;
// CadrelPCI registers (range 1).
constexpr std::uint32_t kCadrelRotatorCount = 0;
constexpr std::uint32_t kCadrelControl = 8;
constexpr std::uint32_t kCadrelStatus = 10;
constexpr std::uint32_t kCadrelFifo = 12;
constexpr std::uint32_t kCadrelMultiplexer = 14;
constexpr std::uint32_t kCadrelDio = 20;
constexpr std::uint32_t kCadrelId = 26;
constexpr std::uint32_t kCadrelIntegration = 4;
// DAQ700 ports.
constexpr std::uint32_t kDaqChannel = 0;
constexpr std::uint32_t kDaqControl = 4;
// The 8254-type counters: ISA counters 0 to 2 and control word at ports 0 to 3; the
// DAQ700's counters 1 and 2 and control word at ports 9 to 11.
constexpr std::uint32_t kIsaCounter0 = 0;
constexpr std::uint32_t kIsaCounter2 = 2;
constexpr std::uint32_t kIsaCounterControl = 3;
constexpr std::uint32_t kDaqCounter1 = 9;
constexpr std::uint32_t kDaqCounter2 = 10;
constexpr std::uint32_t kDaqCounterControl = 11;
// Control words that load a counter low byte first: counter 0, 1 and 2 in the modes the
// board sets use.
constexpr std::uint32_t kLoadCounter0 = 0x3E;
constexpr std::uint32_t kLoadCounter1 = 0x7E;
constexpr std::uint32_t kLoadCounter2 = 0xBE;
constexpr std::uint32_t kLoadCounter2Rate = 0xB6;
// The Istrel sets load ISA counter 0 with a clock divisor of at most this.
constexpr std::uint32_t kClockDivisorMax = 4;

} // namespace

SimulatedBoard::SimulatedBoard(BoardKind kind) : m_kind(kind) {}

std::uint16_t SimulatedBoard::pixelValue(int channel, int pixel)
{
    return static_cast<std::uint16_t>((channel * 512 + pixel * 3) & 0xFFF);
}

std::uint16_t SimulatedBoard::wireSample(int channel, int pixel) const
{
    std::uint16_t value = pixelValue(channel, pixel);
    if (m_kind == BoardKind::Fornic || m_kind == BoardKind::CadrelPci)
        value ^= 0x800;
    return static_cast<std::uint16_t>(value | kHighNoise);
}

void SimulatedBoard::setNoInterrupt(bool on)
{
    std::lock_guard lock(m_mutex);
    m_noInterrupt = on;
}

void SimulatedBoard::setLateInterrupt(bool on)
{
    std::lock_guard lock(m_mutex);
    m_late = on;
}

int SimulatedBoard::releaseLateInterrupts()
{
    int held = 0;
    {
        std::lock_guard lock(m_mutex);
        held = m_held;
        m_held = 0;
        m_raised += held;
    }
    for (int k = 0; k < held; ++k)
        m_signal.raise();
    return held;
}

void SimulatedBoard::setTriggerInput(bool present)
{
    std::lock_guard lock(m_mutex);
    m_trigger = present;
}

void SimulatedBoard::setPciPlus(bool plus)
{
    std::lock_guard lock(m_mutex);
    m_pciPlus = plus;
}

void SimulatedBoard::setDigitalInput(std::uint16_t value)
{
    std::lock_guard lock(m_mutex);
    m_digitalInput = value;
}

std::vector<PortWrite> SimulatedBoard::writes() const
{
    std::lock_guard lock(m_mutex);
    return m_writes;
}

bool SimulatedBoard::waitForWrites(std::size_t count, std::chrono::milliseconds bound) const
{
    std::unique_lock lock(m_mutex);
    return m_written.wait_for(lock, bound, [&] { return m_writes.size() >= count; });
}

void SimulatedBoard::clearWrites()
{
    std::lock_guard lock(m_mutex);
    m_writes.clear();
}

int SimulatedBoard::interruptsRaised() const
{
    std::lock_guard lock(m_mutex);
    return m_raised;
}

int SimulatedBoard::armCount() const
{
    std::lock_guard lock(m_mutex);
    return m_arms;
}

bool SimulatedBoard::interruptEnabled() const
{
    std::lock_guard lock(m_mutex);
    return m_interruptOn;
}

void SimulatedBoard::raiseLocked()
{
    if (m_noInterrupt)
        return;
    if (m_late) {
        ++m_held;
        return;
    }
    ++m_raised;
    if (m_periodMs == 0)
        m_signal.raise();
    else {
        m_due.push_back(std::chrono::steady_clock::now() + std::chrono::milliseconds(m_periodMs));
        // A waiter already asleep recomputes when to wake.
        m_signal.wake();
    }
}

std::uint32_t SimulatedBoard::programmedPeriodMs() const
{
    std::lock_guard lock(m_mutex);
    return m_periodMs;
}

void SimulatedBoard::noteTimingLocked(int range, std::uint32_t offset, std::uint32_t value)
{
    if (m_kind == BoardKind::CadrelPci) {
        if (range == 1 && offset == kCadrelIntegration)
            m_periodMs = value & 0xFFFF;
        return;
    }
    const bool daq = m_kind == BoardKind::Daq700;
    if (range != 0)
        return;
    if (offset == (daq ? kDaqCounterControl : kIsaCounterControl)) {
        m_counterControl = value & 0xFF;
        m_counterHalf = false;
        return;
    }
    // Only counters loaded with the control words of the board sets' timing count.
    enum class Counter
    {
        IsaRate,   // ISA counter 0: a clock divisor (Istrel, 4 or less) or 4 counts a ms
        IsaPeriod, // ISA counter 2: ms, unless counter 0 holds a rate (then the flash)
        DaqRate,   // DAQ700 counter 1: 2 ms a count
        DaqPeriod, // DAQ700 counter 2 in rate mode: ms
    };
    Counter counter;
    if (!daq && offset == kIsaCounter0 && m_counterControl == kLoadCounter0)
        counter = Counter::IsaRate;
    else if (!daq && offset == kIsaCounter2 && m_counterControl == kLoadCounter2)
        counter = Counter::IsaPeriod;
    else if (daq && offset == kDaqCounter1 && m_counterControl == kLoadCounter1)
        counter = Counter::DaqRate;
    else if (daq && offset == kDaqCounter2 && m_counterControl == kLoadCounter2Rate)
        counter = Counter::DaqPeriod;
    else
        return;
    if (!m_counterHalf) {
        m_counterLow = value & 0xFF;
        m_counterHalf = true;
        return;
    }
    m_counterHalf = false;
    const std::uint32_t count = m_counterLow | (value & 0xFF) << 8;
    switch (counter) {
    case Counter::IsaRate:
        m_isaRate = count;
        if (count > kClockDivisorMax)
            m_periodMs = count / 4;
        break;
    case Counter::IsaPeriod:
        if (m_isaRate <= kClockDivisorMax)
            m_periodMs = count;
        break;
    case Counter::DaqRate:
        m_periodMs = count * 2;
        break;
    case Counter::DaqPeriod:
        m_periodMs = count;
        break;
    }
}

void SimulatedBoard::armLocked(int channel)
{
    ++m_arms;
    m_fifo.clear();
    if (m_kind == BoardKind::Daq700) {
        m_listSamples.assign(kFifoPixels, 0);
        for (int p = 0; p < kFifoPixels; ++p)
            m_listSamples[static_cast<std::size_t>(p)] = wireSample(channel, p);
        raiseLocked();
        return;
    }
    if (m_kind == BoardKind::CadrelPci && (m_multiplexer & 0x10)) {
        // Special pixel rotator: every channel whole from pixel 1, pixel by pixel in turn.
        const int channels = static_cast<int>(m_rotatorCount / 8);
        for (int p = 1; p <= kFifoPixels; ++p)
            for (int c = 0; c < channels; ++c)
                m_fifo.push_back(wireSample(c, p));
        raiseLocked();
        return;
    }
    // The stream starts at pixel 1 on the boards that drop their first sample.
    const int first = m_kind == BoardKind::Dovrin ? 0 : 1;
    const bool cadrelNormal = m_kind == BoardKind::CadrelPci && m_multiplexer >= 8;
    const int channels = m_multiplexer >= 8 ? static_cast<int>(m_multiplexer & 7) + 1 : 1;
    const int start = cadrelNormal ? 0 : first;
    for (int p = start; p < kFifoPixels; ++p) {
        const int owner = channels > 1 ? (p + channels - 1) % channels : channel;
        m_fifo.push_back(wireSample(owner, p));
    }
    raiseLocked();
}

std::uint16_t SimulatedBoard::popFifoLocked()
{
    if (m_fifo.empty())
        return kHighNoise;
    const std::uint16_t value = m_fifo.front();
    m_fifo.pop_front();
    return value;
}

std::uint32_t SimulatedBoard::readPort(int range, std::uint32_t offset, int)
{
    std::lock_guard lock(m_mutex);
    const std::uint32_t trigger = m_trigger ? 0x08 : 0x00;
    switch (m_kind) {
    case BoardKind::CadrelPci:
        if (range != 1)
            return 0;
        if (offset == kCadrelStatus)
            return trigger;
        if (offset == kCadrelFifo)
            return popFifoLocked();
        if (offset == kCadrelId)
            return m_pciPlus ? 0xFA08 : 0x0001;
        if (offset == kCadrelDio)
            return m_digitalInput;
        return 0;
    case BoardKind::Daq700:
        return 0;
    default:
        if (range != 0)
            return 0;
        if (offset == kIsaStatus)
            return trigger;
        if (offset == kIsaFifo)
            return popFifoLocked();
        return 0;
    }
}

bool SimulatedBoard::writePort(int range, std::uint32_t offset, int widthBytes, std::uint32_t value)
{
    std::lock_guard lock(m_mutex);
    m_writes.push_back({range, offset, widthBytes, value});
    m_written.notify_all();
    noteTimingLocked(range, offset, value);
    switch (m_kind) {
    case BoardKind::CadrelPci:
        if (range != 1)
            return true;
        if (offset == kCadrelRotatorCount)
            m_rotatorCount = value & 0xFFFF;
        else if (offset == kCadrelMultiplexer)
            m_multiplexer = value & 0xFFFF;
        else if (offset == kCadrelControl && (value & 0x41) == 0x41)
            armLocked(static_cast<int>((value >> 3) & 3));
        return true;
    case BoardKind::Daq700:
        if (offset == kDaqChannel)
            m_daqChannel = static_cast<int>((value + 112) & 0xFF);
        else if (offset == kDaqControl && (value & 0x08))
            armLocked(m_daqChannel);
        return true;
    default:
        if (offset == kIsaMultiplexer)
            m_multiplexer = value & 0xFF;
        else if (offset == kIsaControl && (value & 0x41) == 0x41)
            armLocked(static_cast<int>((value >> 3) & 3));
        return true;
    }
}

bool SimulatedBoard::readPortBlock(int range, std::uint32_t offset, int widthBytes,
                                   std::span<std::uint8_t> out)
{
    if (widthBytes != 2)
        return PortIo::readPortBlock(range, offset, widthBytes, out);
    std::lock_guard lock(m_mutex);
    const bool fifo = m_kind == BoardKind::CadrelPci ? range == 1 && offset == kCadrelFifo
                                                     : range == 0 && offset == kIsaFifo;
    for (std::size_t at = 0; at + 2 <= out.size(); at += 2) {
        const std::uint16_t value = fifo ? popFifoLocked() : 0;
        out[at] = static_cast<std::uint8_t>(value);
        out[at + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    return true;
}

bool SimulatedBoard::mapRange(int, std::uint32_t, std::uint32_t)
{
    return true;
}

bool SimulatedBoard::runSpecialEntry(int, const platform::portio::TransferEntry& entry,
                                     std::span<std::uint8_t> extra)
{
    std::lock_guard lock(m_mutex);
    m_writes.push_back({-1, entry.opcode, 0, entry.words[0]});
    // The block-read opcode moves the armed channel's samples into the extra area.
    if (m_kind != BoardKind::Daq700 || entry.opcode != platform::portio::kOpBoard + 2)
        return true;
    std::size_t k = 0;
    for (std::size_t at = 0; at + 2 <= extra.size(); at += 2, ++k) {
        const std::uint16_t value = k < m_listSamples.size() ? m_listSamples[k] : kHighNoise;
        extra[at] = static_cast<std::uint8_t>(value);
        extra[at + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    return true;
}

bool SimulatedBoard::enableInterrupt(int, bool on)
{
    std::lock_guard lock(m_mutex);
    m_interruptOn = on;
    return true;
}

platform::portio::InterruptWait SimulatedBoard::waitInterrupt(std::uint32_t boundMs)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(boundMs);
    const std::uint64_t wakes = m_wakes.load();
    for (;;) {
        // Interrupts whose period has passed become pending; the wait ends at the next due.
        Clock::time_point until = deadline;
        {
            std::lock_guard lock(m_mutex);
            const Clock::time_point now = Clock::now();
            while (!m_due.empty() && m_due.front() <= now) {
                m_due.pop_front();
                m_signal.raise();
            }
            if (!m_due.empty())
                until = std::min(until, m_due.front());
        }
        const Clock::time_point now = Clock::now();
        const auto waitMs =
            until > now ? std::chrono::ceil<std::chrono::milliseconds>(until - now).count() : 0;
        if (m_signal.wait(static_cast<std::uint32_t>(waitMs)))
            return platform::portio::InterruptWait::Interrupt;
        if (m_wakes.load() != wakes || Clock::now() >= deadline)
            return platform::portio::InterruptWait::Timeout;
    }
}

void SimulatedBoard::wakeInterruptWaiter()
{
    ++m_wakes;
    m_signal.wake();
}

} // namespace sim::boards
