#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sim::serial {

// Faults the simulated converter can be told to show, each for a number of replies.
enum class SerialFault
{
    Nak,              // 0x15 where an ACK belongs
    Silence,          // no reply at all
    MissingEndMarker, // scan frames end in 00 00 instead of FF FD
    BadChecksum,      // scan frames carry a wrong sum
    Garbage,          // a burst of meaningless bytes instead of the reply
};

// How far the converter has got with its line, for a port that must know whether anything
// is still on its way (SimulatorPort). Shared, so that a port may outlive the simulator.
struct LineProgress
{
    // Bytes the hosts' ports wrote to the line and read (or discarded) from it; counted by
    // those ports.
    std::atomic<std::uint64_t> written{0};
    std::atomic<std::uint64_t> consumed{0};
    // Bytes the converter took from the line and dealt with (answered, or ignored), counted
    // once its whole answer was sent; and bytes it sent.
    std::atomic<std::uint64_t> handled{0};
    std::atomic<std::uint64_t> sent{0};
    // The simulator is gone: nothing more will come.
    std::atomic<bool> closed{false};
    // The clock of the ports on the line (SimulatorPort::now), which only waits that ran out
    // move; it runs on from one port to the next.
    std::atomic<std::int64_t> portTimeNs{0};
};

// A serial A/D converter on the master side of a pseudo-terminal pair. The driver opens
// the slave device (devicePath()) as its serial port. The simulator answers the protocol
// byte for byte, hears only bytes sent at the line speed it is set to (9600 at start, then
// what "K" chose), and paces its replies at that speed, since a pseudo-terminal itself has
// no line rate. A thread of its own serves the line until destruction.
class SerialAdcSimulator
{
public:
    // Converter type: 0 answers none of the type probes; 1, 2, 3 acknowledge "=", "-", "_".
    explicit SerialAdcSimulator(int converterType = 0);
    ~SerialAdcSimulator();
    SerialAdcSimulator(const SerialAdcSimulator&) = delete;
    SerialAdcSimulator& operator=(const SerialAdcSimulator&) = delete;

    // The slave device, e.g. "/dev/pts/7".
    const std::string& devicePath() const { return m_path; }

    // The next `count` replies (-1: all until cleared) show the fault.
    void setFault(SerialFault fault, int count = -1);
    // Also ends faults-on-scans-only.
    void clearFaults();
    // While set, Silence and Garbage hit only the replies to "S" (scans).
    void setFaultsOnScansOnly(bool only);
    // Waits before every reply.
    void setReplyDelayMs(int ms);
    // The 2048 pixel values a scan reports.
    void setPixels(const std::vector<std::uint16_t>& pixels);
    // Scans answer 0x03 (no scan) while set.
    void setNoScan(bool noScan);
    // Scan frames start with the lead byte 0x02 while set.
    void setLeadByte(bool lead);
    void setVersion(std::uint16_t version);
    // Scans stored in memory 1 and 2 (the "W" query) and what "Z" reads out.
    void setScansInMemory(std::uint16_t count);

    // What the converter was sent and how it is set.
    std::vector<std::vector<std::uint8_t>> commands() const;
    void clearCommands();
    int lineBaud() const;
    int hostBaud() const;
    int scansServed() const;
    int bytesIgnored() const; // heard at the wrong line speed or not understood
    std::uint16_t setting(char letter) const;
    std::string storedString(std::uint16_t slot) const;

    // The line's progress, for a port onto the simulator.
    std::shared_ptr<LineProgress> lineProgress() const { return m_progress; }

private:
    void run();
    void feed(std::uint8_t byte);
    // Bytes a command needs after its letter, given what arrived; -1 while unknown.
    long neededLength() const;
    void handle(const std::vector<std::uint8_t>& command);
    void sendPaced(const std::vector<std::uint8_t>& bytes, int baud);
    void ack();
    void reply16(std::uint16_t value);
    bool takeFault(SerialFault fault);
    std::vector<std::uint8_t> scanFrame(bool memoryReadout);

    int m_master = -1;
    int m_slave = -1;
    std::string m_path;
    std::jthread m_thread;
    std::atomic<bool> m_stop{false};
    std::shared_ptr<LineProgress> m_progress = std::make_shared<LineProgress>();

    mutable std::mutex m_mutex;
    int m_type;
    int m_baud = 9600;
    std::map<SerialFault, int> m_faults;
    bool m_scanFaultsOnly = false;
    int m_replyDelayMs = 0;
    std::vector<std::uint16_t> m_pixels;
    bool m_noScan = false;
    bool m_lead = false;
    std::uint16_t m_version = 3000;
    std::uint16_t m_scansInMemory = 0;
    std::map<char, std::uint16_t> m_settings;
    std::vector<std::uint16_t> m_pixelModeArgs;
    std::map<std::uint16_t, std::string> m_strings;
    std::vector<std::vector<std::uint8_t>> m_commands;
    std::vector<std::uint8_t> m_pending;
    int m_scans = 0;
    int m_ignored = 0;
};

} // namespace sim::serial
