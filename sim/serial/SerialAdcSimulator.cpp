#include "sim/serial/SerialAdcSimulator.h"

#include "driver/serial/SerialAdcProtocol.h"
#include "driver/serial/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace sim::serial {
namespace {

namespace proto = driver::serial;
using Clock = std::chrono::steady_clock;

constexpr const char* kWordArgumentLetters = "ABCEFGHIJKLMNOTWZfhk";
constexpr const char* kBareLetters = "DQSUXqtvd=-_";
constexpr int kBaudRates[] = {2400, 4800, 9600, 19200, 38400, 57600, 115200};

std::uint16_t wordAt(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return at + 1 < bytes.size() ? static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]) : 0;
}

} // namespace

SerialAdcSimulator::SerialAdcSimulator(int converterType) : m_type(converterType)
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    m_path = name;
    // Raw from the start, so that nothing the simulator sends is echoed or edited.
    termios tio{};
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    ::tcsetattr(m_slave, TCSANOW, &tio);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_pixels.resize(proto::kFramePixels);
    for (int i = 0; i < proto::kFramePixels; ++i)
        m_pixels[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(1000 + (i % 100) * 7);
    m_settings['I'] = 100;
    m_settings['A'] = 1;
    m_settings['K'] = 2;
    m_thread = std::jthread([this] { run(); });
}

SerialAdcSimulator::~SerialAdcSimulator()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    m_progress->closed = true;
    ::close(m_master);
    ::close(m_slave);
}

void SerialAdcSimulator::setFault(SerialFault fault, int count)
{
    std::lock_guard lock(m_mutex);
    m_faults[fault] = count;
}

void SerialAdcSimulator::clearFaults()
{
    std::lock_guard lock(m_mutex);
    m_faults.clear();
    m_scanFaultsOnly = false;
}

void SerialAdcSimulator::setFaultsOnScansOnly(bool only)
{
    std::lock_guard lock(m_mutex);
    m_scanFaultsOnly = only;
}

void SerialAdcSimulator::setReplyDelayMs(int ms)
{
    std::lock_guard lock(m_mutex);
    m_replyDelayMs = ms;
}

void SerialAdcSimulator::setPixels(const std::vector<std::uint16_t>& pixels)
{
    std::lock_guard lock(m_mutex);
    m_pixels = pixels;
    m_pixels.resize(proto::kFramePixels);
}

void SerialAdcSimulator::setNoScan(bool noScan)
{
    std::lock_guard lock(m_mutex);
    m_noScan = noScan;
}

void SerialAdcSimulator::setLeadByte(bool lead)
{
    std::lock_guard lock(m_mutex);
    m_lead = lead;
}

void SerialAdcSimulator::setVersion(std::uint16_t version)
{
    std::lock_guard lock(m_mutex);
    m_version = version;
}

void SerialAdcSimulator::setScansInMemory(std::uint16_t count)
{
    std::lock_guard lock(m_mutex);
    m_scansInMemory = count;
}

std::vector<std::vector<std::uint8_t>> SerialAdcSimulator::commands() const
{
    std::lock_guard lock(m_mutex);
    return m_commands;
}

void SerialAdcSimulator::clearCommands()
{
    std::lock_guard lock(m_mutex);
    m_commands.clear();
}

int SerialAdcSimulator::lineBaud() const
{
    std::lock_guard lock(m_mutex);
    return m_baud;
}

int SerialAdcSimulator::hostBaud() const
{
    termios tio{};
    if (::tcgetattr(m_master, &tio) != 0)
        return 0;
    return proto::baudOfTermiosSpeed(::cfgetospeed(&tio));
}

int SerialAdcSimulator::scansServed() const
{
    std::lock_guard lock(m_mutex);
    return m_scans;
}

int SerialAdcSimulator::bytesIgnored() const
{
    std::lock_guard lock(m_mutex);
    return m_ignored;
}

std::uint16_t SerialAdcSimulator::setting(char letter) const
{
    std::lock_guard lock(m_mutex);
    auto found = m_settings.find(letter);
    return found != m_settings.end() ? found->second : 0;
}

std::string SerialAdcSimulator::storedString(std::uint16_t slot) const
{
    std::lock_guard lock(m_mutex);
    auto found = m_strings.find(slot);
    return found != m_strings.end() ? found->second : std::string();
}

void SerialAdcSimulator::run()
{
    std::uint8_t buffer[512];
    while (!m_stop) {
        pollfd pfd{m_master, POLLIN, 0};
        if (::poll(&pfd, 1, 20) <= 0)
            continue;
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            continue;
        // Bytes sent at another speed than the converter's arrive as noise: unheard.
        const int host = hostBaud();
        bool heard = true;
        {
            std::lock_guard lock(m_mutex);
            if (host != m_baud) {
                m_ignored += static_cast<int>(n);
                m_pending.clear();
                heard = false;
            }
        }
        for (ssize_t k = 0; heard && k < n; ++k)
            feed(buffer[k]);
        // Counted after the answers to these bytes were sent in full.
        m_progress->handled.fetch_add(static_cast<std::uint64_t>(n));
    }
}

long SerialAdcSimulator::neededLength() const
{
    const std::uint8_t letter = m_pending[0];
    const std::size_t size = m_pending.size();
    if (letter == '?') {
        if (size < 2)
            return -1;
        return m_pending[1] == 'x' ? 4 : 2;
    }
    if (letter == '{')
        return 2;
    if (letter == 'P') {
        if (size < 3)
            return -1;
        const int form = wordAt(m_pending, 1) & 0xFF;
        if (form == 1 || form == 2)
            return 5;
        if (form == 3)
            return 9;
        if (form == 4) {
            if (size < 5)
                return -1;
            return 5 + 2L * wordAt(m_pending, 3);
        }
        return 3;
    }
    if (letter == 'x') {
        for (std::size_t k = 3; k < size; ++k) {
            if (m_pending[k] == 0x0A)
                return static_cast<long>(k + 1);
        }
        return size > 300 ? static_cast<long>(size) : -1;
    }
    if (letter == 'c' || letter == 'r')
        return 5;
    if (std::strchr(kWordArgumentLetters, letter))
        return 3;
    return 1;
}

void SerialAdcSimulator::feed(std::uint8_t byte)
{
    m_pending.push_back(byte);
    const long needed = neededLength();
    if (needed < 0 || static_cast<long>(m_pending.size()) < needed)
        return;
    std::vector<std::uint8_t> command;
    command.swap(m_pending);
    handle(command);
}

bool SerialAdcSimulator::takeFault(SerialFault fault)
{
    auto found = m_faults.find(fault);
    if (found == m_faults.end() || found->second == 0)
        return false;
    if (found->second > 0)
        --found->second;
    return true;
}

std::vector<std::uint8_t> SerialAdcSimulator::scanFrame(bool memoryReadout)
{
    proto::FrameLayout layout;
    layout.mode = m_settings['P'];
    const int form = layout.mode & 0xFF;
    auto arg = [this](std::size_t k) -> std::uint16_t {
        return k < m_pixelModeArgs.size() ? m_pixelModeArgs[k] : 0;
    };
    if (form == 1 || form == 2) {
        layout.step = arg(0);
    } else if (form == 3) {
        layout.first = arg(0);
        layout.last = arg(1);
        layout.step = arg(2);
    } else if (form == 4) {
        layout.pixelNumbers = m_pixelModeArgs;
    }
    const bool checksum = m_settings['k'] == 1;
    // The converter adds the scans it was told to ("A") into each pixel.
    std::vector<std::uint16_t> pixels = m_pixels;
    if (const std::uint32_t added = m_settings['A']; added > 1) {
        for (std::uint16_t& p : pixels)
            p = static_cast<std::uint16_t>(std::min<std::uint32_t>(p * added, 0xFFFF));
    }
    std::vector<std::uint8_t> frame =
        proto::encodeScanFrame(layout, pixels, {m_settings['I'], m_settings['A'], 0, 0, 0},
                               m_lead || memoryReadout, checksum);
    const std::size_t markerAt = frame.size() - (checksum ? 4 : 2);
    if (takeFault(SerialFault::MissingEndMarker)) {
        frame[markerAt] = 0;
        frame[markerAt + 1] = 0;
    }
    if (checksum && takeFault(SerialFault::BadChecksum))
        frame.back() = static_cast<std::uint8_t>(frame.back() + 1);
    return frame;
}

void SerialAdcSimulator::handle(const std::vector<std::uint8_t>& command)
{
    std::vector<std::uint8_t> out;
    int newBaud = 0;
    int delayMs = 0;
    {
        std::lock_guard lock(m_mutex);
        m_commands.push_back(command);
        delayMs = m_replyDelayMs;
        // Faults kept for scans leave the commands around them answered.
        const bool faultable = !m_scanFaultsOnly || command[0] == 'S';
        if (faultable && takeFault(SerialFault::Silence))
            return;
        if (faultable && takeFault(SerialFault::Garbage)) {
            for (int k = 0; k < 300; ++k)
                out.push_back(static_cast<std::uint8_t>(0x55 ^ (k * 37)));
        } else {
            const char letter = static_cast<char>(command[0]);
            const bool isScan = letter == 'S';
            auto ackByte = [&] {
                out.push_back(takeFault(SerialFault::Nak) ? proto::kNak : proto::kAck);
            };
            auto word = [&out](std::uint16_t value) {
                out.push_back(static_cast<std::uint8_t>(value >> 8));
                out.push_back(static_cast<std::uint8_t>(value & 0xFF));
            };
            if (isScan) {
                ++m_scans;
                if (m_noScan)
                    out.push_back(proto::kNoScanByte);
                else
                    out = scanFrame(false);
            } else if (letter == '=' || letter == '-' || letter == '_') {
                const int type = letter == '=' ? 1 : letter == '-' ? 2 : 3;
                if (type == m_type)
                    ackByte();
                else
                    out.push_back(proto::kNak);
            } else if (letter == '?') {
                const char asked = static_cast<char>(command[1]);
                ackByte();
                if (out.back() == proto::kAck) {
                    if (asked == 'p') {
                        std::vector<std::uint16_t> words{m_settings['P']};
                        if ((m_settings['P'] & 0xFF) == 4)
                            words.push_back(static_cast<std::uint16_t>(m_pixelModeArgs.size()));
                        words.insert(words.end(), m_pixelModeArgs.begin(), m_pixelModeArgs.end());
                        for (std::uint16_t w : words) {
                            out.push_back(static_cast<std::uint8_t>(w & 0xFF));
                            out.push_back(static_cast<std::uint8_t>(w >> 8));
                        }
                    } else if (asked == 'x') {
                        const std::string& text = m_strings[wordAt(command, 2)];
                        out.insert(out.end(), text.begin(), text.end());
                        out.push_back(0x0A);
                    } else {
                        word(m_settings[asked]);
                    }
                }
            } else if (letter == '{') {
                ackByte();
            } else if (letter == 'x') {
                m_strings[wordAt(command, 1)] = std::string(command.begin() + 3, command.end() - 1);
                ackByte();
            } else if (letter == 'P') {
                m_settings['P'] = wordAt(command, 1);
                m_pixelModeArgs.clear();
                const int form = m_settings['P'] & 0xFF;
                const std::size_t first = form == 4 ? 5 : 3;
                for (std::size_t at = first; at + 1 < command.size(); at += 2)
                    m_pixelModeArgs.push_back(wordAt(command, at));
                ackByte();
            } else if (letter == 'Z') {
                ackByte();
                if (out.back() == proto::kAck)
                    for (std::uint8_t b : scanFrame(true))
                        out.push_back(b);
            } else if (letter == 'r') {
                ackByte();
                for (int k = 0; k < 272; ++k)
                    out.push_back(static_cast<std::uint8_t>(k));
            } else if (std::strchr("UXqtvW", letter)) {
                ackByte();
                if (letter == 'v')
                    word(m_version);
                else if (letter == 'W')
                    word(m_scansInMemory);
                else
                    word(static_cast<std::uint16_t>(letter));
            } else if (std::strchr(kWordArgumentLetters, letter) ||
                       std::strchr(kBareLetters, letter) || letter == 'c') {
                if (command.size() >= 3)
                    m_settings[letter] = wordAt(command, 1);
                ackByte();
                if (letter == 'K' && out.back() == proto::kAck) {
                    const std::uint16_t index = wordAt(command, 1);
                    if (index <= 6)
                        newBaud = kBaudRates[index];
                }
            } else {
                out.push_back(proto::kNak);
            }
        }
    }
    if (delayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    int baud = 0;
    {
        // The ACK of a speed change still goes at the old speed, but the converter listens
        // at the new one from now on: the host may switch as soon as the ACK arrives.
        std::lock_guard lock(m_mutex);
        baud = m_baud;
        if (newBaud != 0)
            m_baud = newBaud;
    }
    sendPaced(out, baud);
}

void SerialAdcSimulator::sendPaced(const std::vector<std::uint8_t>& bytes, int baud)
{
    constexpr std::size_t kChunk = 32;
    const auto byteTime = std::chrono::nanoseconds(10'000'000'000LL / baud);
    auto due = Clock::now();
    std::size_t done = 0;
    while (done < bytes.size() && !m_stop) {
        const std::size_t chunk = std::min(kChunk, bytes.size() - done);
        due += byteTime * static_cast<long>(chunk);
        std::size_t written = 0;
        while (written < chunk && !m_stop) {
            const ssize_t n = ::write(m_master, bytes.data() + done + written, chunk - written);
            if (n > 0) {
                written += static_cast<std::size_t>(n);
                m_progress->sent.fetch_add(static_cast<std::uint64_t>(n));
                continue;
            }
            pollfd pfd{m_master, POLLOUT, 0};
            ::poll(&pfd, 1, 20);
        }
        done += written;
        std::this_thread::sleep_until(due);
    }
}

} // namespace sim::serial
