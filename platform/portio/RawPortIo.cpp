#include "platform/portio/RawPortIo.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define HARLUNE_RAW_PORTS 1
#else
#define HARLUNE_RAW_PORTS 0
#endif

namespace platform::portio {

RawPortIo::~RawPortIo()
{
    enableInterrupt(0, false);
#if HARLUNE_RAW_PORTS
    for (const Range& range : m_ranges) {
        if (range.count != 0)
            ioperm(range.base, range.count, 0);
    }
#endif
}

bool RawPortIo::open(std::string& error)
{
#if HARLUNE_RAW_PORTS
    // Probe with the POST diagnostic port, which every PC decodes and nothing reads.
    if (ioperm(0x80, 1, 1) != 0) {
        error = std::string("raw port I/O is not permitted for this user (") +
                std::strerror(errno) +
                "); it needs the CAP_SYS_RAWIO capability, or use a simulated board";
        return false;
    }
    ioperm(0x80, 1, 0);
    return true;
#else
    error = "raw port I/O is available on x86 machines only";
    return false;
#endif
}

bool RawPortIo::portOf(int range, std::uint32_t offset, int widthBytes, std::uint32_t& port)
{
    if (range < 0 || range >= 16)
        return false;
    std::lock_guard lock(m_mutex);
    const Range& mapped = m_ranges[static_cast<std::size_t>(range)];
    if (mapped.count == 0 || widthBytes <= 0 ||
        static_cast<std::uint64_t>(offset) + static_cast<std::uint64_t>(widthBytes) > mapped.count)
        return false;
    port = mapped.base + offset;
    return true;
}

std::uint32_t RawPortIo::readPort(int range, std::uint32_t offset, int widthBytes)
{
    std::uint32_t port = 0;
    if (!portOf(range, offset, widthBytes, port))
        return 0;
#if HARLUNE_RAW_PORTS
    switch (widthBytes) {
    case 1:
        return inb(static_cast<unsigned short>(port));
    case 2:
        return inw(static_cast<unsigned short>(port));
    case 4:
        return inl(static_cast<unsigned short>(port));
    default:
        return 0;
    }
#else
    return 0;
#endif
}

bool RawPortIo::writePort(int range, std::uint32_t offset, int widthBytes, std::uint32_t value)
{
    std::uint32_t port = 0;
    if (!portOf(range, offset, widthBytes, port))
        return false;
#if HARLUNE_RAW_PORTS
    switch (widthBytes) {
    case 1:
        outb(static_cast<unsigned char>(value), static_cast<unsigned short>(port));
        return true;
    case 2:
        outw(static_cast<unsigned short>(value), static_cast<unsigned short>(port));
        return true;
    case 4:
        outl(value, static_cast<unsigned short>(port));
        return true;
    default:
        return false;
    }
#else
    (void)value;
    return false;
#endif
}

bool RawPortIo::mapRange(int range, std::uint32_t base, std::uint32_t count)
{
    if (range < 0 || range >= 16 || count == 0 || base > 0xFFFF || base + count > 0x10000)
        return false;
#if HARLUNE_RAW_PORTS
    if (ioperm(base, count, 1) != 0)
        return false;
    std::lock_guard lock(m_mutex);
    m_ranges[static_cast<std::size_t>(range)] = {base, count};
    return true;
#else
    return false;
#endif
}

bool RawPortIo::enableInterrupt(int, bool on)
{
    std::lock_guard lock(m_mutex);
    if (!on) {
        if (m_uioFd >= 0)
            ::close(m_uioFd);
        if (m_wakeFd >= 0)
            ::close(m_wakeFd);
        m_uioFd = -1;
        m_wakeFd = -1;
        return true;
    }
    const char* uio = std::getenv("HARLUNE_PORTIO_UIO");
    if (!uio || !*uio)
        return true; // no interrupt line: the board is served without interrupts
    m_uioFd = ::open(uio, O_RDWR | O_CLOEXEC);
    if (m_uioFd < 0)
        return false;
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    const std::uint32_t unmask = 1;
    if (m_wakeFd < 0 || ::write(m_uioFd, &unmask, sizeof unmask) != sizeof unmask)
        return false;
    return true;
}

InterruptWait RawPortIo::waitInterrupt(std::uint32_t boundMs)
{
    int uio = -1;
    int wake = -1;
    {
        std::lock_guard lock(m_mutex);
        uio = m_uioFd;
        wake = m_wakeFd;
    }
    if (uio < 0) {
        m_idle.wait(boundMs);
        return InterruptWait::Timeout;
    }
    pollfd fds[2] = {{uio, POLLIN, 0}, {wake, POLLIN, 0}};
    const int ready = ::poll(fds, 2, static_cast<int>(boundMs));
    if (ready < 0)
        return errno == EINTR ? InterruptWait::Timeout : InterruptWait::Failed;
    if (fds[1].revents & POLLIN) {
        std::uint64_t drained = 0;
        [[maybe_unused]] const auto n = ::read(wake, &drained, sizeof drained);
    }
    if (!(fds[0].revents & POLLIN))
        return InterruptWait::Timeout;
    std::uint32_t count = 0;
    if (::read(uio, &count, sizeof count) != sizeof count)
        return InterruptWait::Failed;
    const std::uint32_t unmask = 1;
    if (::write(uio, &unmask, sizeof unmask) != sizeof unmask)
        return InterruptWait::Failed;
    return InterruptWait::Interrupt;
}

void RawPortIo::wakeInterruptWaiter()
{
    m_idle.wake();
    std::lock_guard lock(m_mutex);
    if (m_wakeFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto n = ::write(m_wakeFd, &one, sizeof one);
    }
}

} // namespace platform::portio
