#pragma once

#include "driver/serial/SerialPort.h"
#include "sim/serial/SerialAdcSimulator.h"

#include <chrono>
#include <cstddef>
#include <memory>

namespace sim::serial {

// The driver's port onto a SerialAdcSimulator: the real port on the simulator's device, whose
// waits run out on a clock of the line's own (LineProgress::portTimeNs). That clock moves
// only when a wait runs out, and a wait runs out only once the line has settled: the
// converter has dealt with every byte written to it, and every byte it sent has been read.
// A reply time-out then means that no reply is coming, however slowly the machine runs
// (under a sanitizer, beside other builds), while the bytes still cross the pseudo-terminal
// at the converter's pace.
// - A purge discards what the converter sent until the line settled, bytes still on their way
//   included (on a real line those race with the purge).
// - A reply the simulator delays is waited for, however long the delay.
// - A simulator that makes no progress for kStallBound of real time counts as settled, so a
//   broken one ends in the driver's time-out instead of a hang.
// One caller at a time, as every port.
class SimulatorPort final : public driver::serial::SerialPort
{
public:
    static constexpr std::chrono::seconds kStallBound{20};

    // `line` is the port on the simulator's device, `outputQueue` the size it was opened with.
    SimulatorPort(std::unique_ptr<driver::serial::SerialPort> line,
                  std::shared_ptr<LineProgress> progress, std::size_t outputQueue);
    // Settles the line first, so that the next port starts on a quiet one.
    ~SimulatorPort() override;
    SimulatorPort(const SimulatorPort&) = delete;
    SimulatorPort& operator=(const SimulatorPort&) = delete;

    bool setLine(int baud, int byteSize, int stopBits, int parity) override;
    bool setBaud(int baud) override;
    std::size_t bytesWaiting() override;
    std::size_t bytesPending() override;
    bool write(std::span<const std::uint8_t> bytes, int timeoutMs) override;
    std::size_t read(std::span<std::uint8_t> buffer) override;
    void purgeInput() override;
    bool waitReadable(int timeoutMs) override;
    std::chrono::nanoseconds now() override;

private:
    bool settled() const;
    // Reads and discards what is waiting until the line has settled (or stalled).
    void drainUntilSettled();

    std::unique_ptr<driver::serial::SerialPort> m_line;
    std::shared_ptr<LineProgress> m_progress;
    std::size_t m_outputQueue;
};

// An opener for driver::serial::setSerialPortOpener: the simulator's device opens as a
// SimulatorPort, any other device as usual. It keeps only the simulator's line progress, so
// it may outlive the simulator.
driver::serial::SerialPortOpener simulatorPortOpener(const SerialAdcSimulator& simulator);

} // namespace sim::serial
