#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace driver::serial {

// One open serial port: raw bytes, line settings and the queue counts the converter
// protocol relies on. The termios port below is the real one; tests may supply their own.
// One caller at a time (the converter's lock serialises its users).
class SerialPort
{
public:
    virtual ~SerialPort() = default;
    // Baud rate, data bits (5 to 8), stop bits (1 or 2) and parity (0 none, 1 odd, 2 even).
    virtual bool setLine(int baud, int byteSize, int stopBits, int parity) = 0;
    // Changes only the baud rate.
    virtual bool setBaud(int baud) = 0;
    // Bytes received and not yet read; 0 when the query fails.
    virtual std::size_t bytesWaiting() = 0;
    // Bytes written and not yet sent; 0 when the query fails.
    virtual std::size_t bytesPending() = 0;
    // Writes every byte and waits, at most `timeoutMs`, until they have left the output
    // queue; false when not all were written.
    virtual bool write(std::span<const std::uint8_t> bytes, int timeoutMs) = 0;
    // Reads at most the bytes waiting, never blocks; the count read.
    virtual std::size_t read(std::span<std::uint8_t> buffer) = 0;
    // Discards everything received.
    virtual void purgeInput() = 0;
    // Waits at most `timeoutMs` for bytes to be waiting; true when some are.
    virtual bool waitReadable(int timeoutMs) = 0;
    // The time the waits run on, from an arbitrary origin: the monotonic clock for a real
    // port. The converter's reply deadlines are measured on it, so that a port standing in
    // for a line can let them run out only when nothing more is on its way.
    virtual std::chrono::nanoseconds now();
};

// Valid port numbers: "COM1" to "COM9".
inline constexpr int kFirstSerialPort = 1;
inline constexpr int kLastSerialPort = 9;

// The device of port n: "/dev/ttyS<n-1>", unless the "VYKDRV.INI" section "Setup" names it
// with the key "SerialDevice<n>" (for example "SerialDevice1=/dev/ttyUSB0").
std::string serialDevicePath(int port);

// Opens a port by number (1 to 9; others give null without an attempt) for exclusive use,
// raw, 8N1 at 9600 baud. The queue sizes are kept for the write discipline. Null when the
// device cannot be opened.
std::unique_ptr<SerialPort> OpenSerialPort(int port, std::size_t inputQueue,
                                           std::size_t outputQueue);
// The same on a named device.
std::unique_ptr<SerialPort> openSerialDevice(const std::string& path, std::size_t inputQueue,
                                             std::size_t outputQueue);

// Opens the device of a port number for OpenSerialPort.
using SerialPortOpener = std::function<std::unique_ptr<SerialPort>(
    const std::string& path, std::size_t inputQueue, std::size_t outputQueue)>;
// Installs another opener than openSerialDevice (tests: a port onto a simulated converter);
// null restores it. Any thread; ports already open keep what they are.
void setSerialPortOpener(SerialPortOpener opener);

// The termios speed constant of a baud rate; 0 when it has none.
unsigned termiosSpeed(int baud);
// The baud rate of a termios speed constant; 0 when unknown.
int baudOfTermiosSpeed(unsigned speed);

} // namespace driver::serial
