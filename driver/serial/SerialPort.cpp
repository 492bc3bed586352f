#include "driver/serial/SerialPort.h"

#include "platform/win/Profile.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace driver::serial {
namespace {

struct SpeedRow
{
    int baud;
    speed_t speed;
};

constexpr SpeedRow kSpeeds[] = {
    {1200, B1200},   {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

std::mutex g_openerMutex;
SerialPortOpener g_opener; // empty: openSerialDevice

std::string configurationFile()
{
    if (const char* path = std::getenv("VYKDRV_INI"); path && *path)
        return path;
    std::string folder;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        folder = config;
    else if (const char* home = std::getenv("HOME"); home && *home)
        folder = std::string(home) + "/.config";
    else
        return "VYKDRV.INI";
    return folder + "/VYKDRV.INI";
}

class TermiosSerialPort final : public SerialPort
{
public:
    TermiosSerialPort(int fd, std::size_t /*inputQueue*/, std::size_t outputQueue)
        : m_fd(fd), m_outputQueue(outputQueue)
    {}
    ~TermiosSerialPort() override
    {
        ::tcflush(m_fd, TCIOFLUSH);
        ::close(m_fd);
    }
    TermiosSerialPort(const TermiosSerialPort&) = delete;
    TermiosSerialPort& operator=(const TermiosSerialPort&) = delete;

    bool setLine(int baud, int byteSize, int stopBits, int parity) override
    {
        termios tio{};
        if (::tcgetattr(m_fd, &tio) != 0)
            return false;
        const speed_t speed = termiosSpeed(baud);
        if (speed == 0)
            return false;
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
        switch (byteSize) {
        case 5:
            tio.c_cflag |= CS5;
            break;
        case 6:
            tio.c_cflag |= CS6;
            break;
        case 7:
            tio.c_cflag |= CS7;
            break;
        default:
            tio.c_cflag |= CS8;
            break;
        }
        if (stopBits == 2)
            tio.c_cflag |= CSTOPB;
        if (parity == 1)
            tio.c_cflag |= PARENB | PARODD;
        else if (parity == 2)
            tio.c_cflag |= PARENB;
        tio.c_iflag &= ~(IXON | IXOFF | IXANY);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
        return ::tcsetattr(m_fd, TCSANOW, &tio) == 0;
    }

    bool setBaud(int baud) override
    {
        termios tio{};
        const speed_t speed = termiosSpeed(baud);
        if (speed == 0 || ::tcgetattr(m_fd, &tio) != 0)
            return false;
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
        return ::tcsetattr(m_fd, TCSANOW, &tio) == 0;
    }

    std::size_t bytesWaiting() override
    {
        int count = 0;
        return ::ioctl(m_fd, FIONREAD, &count) == 0 && count > 0 ? static_cast<std::size_t>(count)
                                                                 : 0;
    }

    std::size_t bytesPending() override
    {
        int count = 0;
        return ::ioctl(m_fd, TIOCOUTQ, &count) == 0 && count > 0 ? static_cast<std::size_t>(count)
                                                                 : 0;
    }

    bool write(std::span<const std::uint8_t> bytes, int timeoutMs) override
    {
        if (bytes.size() > m_outputQueue)
            return false;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            if (!waitUntil(POLLOUT, deadline))
                return false;
        }
        // Wait, bounded, until the bytes have left the output queue.
        while (bytesPending() > 0) {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            pollFor(0, 1);
        }
        return true;
    }

    std::size_t read(std::span<std::uint8_t> buffer) override
    {
        const std::size_t want = std::min(buffer.size(), bytesWaiting());
        if (want == 0)
            return 0;
        const ssize_t n = ::read(m_fd, buffer.data(), want);
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }

    void purgeInput() override { ::tcflush(m_fd, TCIFLUSH); }

    bool waitReadable(int timeoutMs) override
    {
        if (bytesWaiting() > 0)
            return true;
        pollFor(POLLIN, timeoutMs);
        return bytesWaiting() > 0;
    }

private:
    void pollFor(short events, int timeoutMs)
    {
        pollfd pfd{m_fd, events, 0};
        ::poll(&pfd, 1, timeoutMs < 0 ? 0 : timeoutMs);
    }

    bool waitUntil(short events, std::chrono::steady_clock::time_point deadline)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            return false;
        pollfd pfd{m_fd, events, 0};
        return ::poll(&pfd, 1, static_cast<int>(left)) > 0;
    }

    int m_fd;
    std::size_t m_outputQueue;
};

} // namespace

std::chrono::nanoseconds SerialPort::now()
{
    return std::chrono::steady_clock::now().time_since_epoch();
}

unsigned termiosSpeed(int baud)
{
    for (const SpeedRow& row : kSpeeds) {
        if (row.baud == baud)
            return row.speed;
    }
    return 0;
}

int baudOfTermiosSpeed(unsigned speed)
{
    for (const SpeedRow& row : kSpeeds) {
        if (row.speed == speed)
            return row.baud;
    }
    return 0;
}

std::string serialDevicePath(int port)
{
    const std::string key = "SerialDevice" + std::to_string(port);
    char buffer[512] = {};
    const std::string file = configurationFile();
    platform::win::GetPrivateProfileString("Setup", key.c_str(), "", buffer, sizeof buffer,
                                           file.c_str());
    if (buffer[0] != '\0')
        return buffer;
    return "/dev/ttyS" + std::to_string(port - 1);
}

std::unique_ptr<SerialPort> openSerialDevice(const std::string& path, std::size_t inputQueue,
                                             std::size_t outputQueue)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    // Not shared: a second open of the device fails while we hold it.
    if (::isatty(fd) != 1 || ::ioctl(fd, TIOCEXCL) != 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    auto port = std::make_unique<TermiosSerialPort>(fd, inputQueue, outputQueue);
    if (!port->setLine(9600, 8, 1, 0))
        return nullptr;
    port->purgeInput();
    return port;
}

std::unique_ptr<SerialPort> OpenSerialPort(int port, std::size_t inputQueue,
                                           std::size_t outputQueue)
{
    if (port < kFirstSerialPort || port > kLastSerialPort)
        return nullptr;
    SerialPortOpener opener;
    {
        std::lock_guard lock(g_openerMutex);
        opener = g_opener;
    }
    const std::string path = serialDevicePath(port);
    return opener ? opener(path, inputQueue, outputQueue)
                  : openSerialDevice(path, inputQueue, outputQueue);
}

void setSerialPortOpener(SerialPortOpener opener)
{
    std::lock_guard lock(g_openerMutex);
    g_opener = std::move(opener);
}

} // namespace driver::serial
