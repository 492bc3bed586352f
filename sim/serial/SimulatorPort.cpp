#include "sim/serial/SimulatorPort.h"

#include <algorithm>
#include <array>
#include <string>

namespace sim::serial {
namespace {

using RealClock = std::chrono::steady_clock;

// Real time between looks at the line while the converter is still busy.
constexpr int kSliceMs = 2;

// Notices a simulator that makes no progress at all.
class StallWatch
{
public:
    explicit StallWatch(const LineProgress& progress) : m_progress(progress)
    {
        m_last = snapshot();
    }

    // True once neither count moved for SimulatorPort::kStallBound.
    bool stalled()
    {
        const auto now = snapshot();
        if (now != m_last) {
            m_last = now;
            m_since = RealClock::now();
            return false;
        }
        return RealClock::now() - m_since >= SimulatorPort::kStallBound;
    }

private:
    std::array<std::uint64_t, 2> snapshot() const
    {
        return {m_progress.handled.load(), m_progress.sent.load()};
    }

    const LineProgress& m_progress;
    std::array<std::uint64_t, 2> m_last{};
    RealClock::time_point m_since = RealClock::now();
};

} // namespace

SimulatorPort::SimulatorPort(std::unique_ptr<driver::serial::SerialPort> line,
                             std::shared_ptr<LineProgress> progress, std::size_t outputQueue)
    : m_line(std::move(line)), m_progress(std::move(progress)), m_outputQueue(outputQueue)
{}

SimulatorPort::~SimulatorPort()
{
    drainUntilSettled();
}

bool SimulatorPort::setLine(int baud, int byteSize, int stopBits, int parity)
{
    return m_line->setLine(baud, byteSize, stopBits, parity);
}

bool SimulatorPort::setBaud(int baud)
{
    return m_line->setBaud(baud);
}

std::size_t SimulatorPort::bytesWaiting()
{
    return m_line->bytesWaiting();
}

std::size_t SimulatorPort::bytesPending()
{
    return m_line->bytesPending();
}

bool SimulatorPort::write(std::span<const std::uint8_t> bytes, int timeoutMs)
{
    const bool written = m_line->write(bytes, timeoutMs);
    // A write beyond the output queue is refused whole. One that fails part way is counted
    // whole too: the line then never settles, and its waits end by the stall bound.
    if (written || bytes.size() <= m_outputQueue)
        m_progress->written += bytes.size();
    return written;
}

std::size_t SimulatorPort::read(std::span<std::uint8_t> buffer)
{
    const std::size_t n = m_line->read(buffer);
    m_progress->consumed += n;
    return n;
}

void SimulatorPort::purgeInput()
{
    drainUntilSettled();
}

bool SimulatorPort::waitReadable(int timeoutMs)
{
    StallWatch watch(*m_progress);
    for (;;) {
        if (m_line->bytesWaiting() > 0)
            return true;
        if (settled() || watch.stalled())
            break;
        m_line->waitReadable(kSliceMs);
    }
    // Nothing is on its way: the wait runs out on the port's clock. It still takes a moment
    // of real time, so that a caller waiting in a loop (for a trigger) does not spin.
    m_line->waitReadable(1);
    m_progress->portTimeNs +=
        std::chrono::nanoseconds(std::chrono::milliseconds(std::max(timeoutMs, 0))).count();
    return m_line->bytesWaiting() > 0;
}

std::chrono::nanoseconds SimulatorPort::now()
{
    return std::chrono::nanoseconds(m_progress->portTimeNs.load());
}

bool SimulatorPort::settled() const
{
    if (m_progress->closed.load())
        return true;
    // The converter counts the bytes it dealt with only after its answers to them were sent,
    // so once it has dealt with everything written, the bytes sent are all there will be.
    return m_progress->handled.load() >= m_progress->written.load() &&
           m_progress->sent.load() == m_progress->consumed.load();
}

void SimulatorPort::drainUntilSettled()
{
    StallWatch watch(*m_progress);
    std::array<std::uint8_t, 512> discard{};
    for (;;) {
        while (read(discard) > 0) {
        }
        if (settled() || watch.stalled())
            return;
        m_line->waitReadable(kSliceMs);
    }
}

driver::serial::SerialPortOpener simulatorPortOpener(const SerialAdcSimulator& simulator)
{
    return [device = simulator.devicePath(), progress = simulator.lineProgress()](
               const std::string& path, std::size_t inputQueue,
               std::size_t outputQueue) -> std::unique_ptr<driver::serial::SerialPort> {
        auto line = driver::serial::openSerialDevice(path, inputQueue, outputQueue);
        if (!line || path != device)
            return line;
        return std::make_unique<SimulatorPort>(std::move(line), progress, outputQueue);
    };
}

} // namespace sim::serial
