#include "toolkit/crypt/PosixFile.h"

#include "toolkit/crypt/FileException.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace toolkit::crypt {

namespace {

off_t toOffset(std::uint64_t value, const std::string& path)
{
    if (value > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
        throw FileException(FileException::badSeek, path, EINVAL);
    }
    return static_cast<off_t>(value);
}

} // namespace

PosixFile::PosixFile(std::string path, unsigned flags) : m_path(std::move(path))
{
    int access = O_RDONLY;
    if (flags & kModeReadWrite) {
        access = O_RDWR;
    } else if (flags & kModeWrite) {
        access = O_RDWR; // reading back stored blocks needs read access too
    }
    int extra = O_CLOEXEC;
    if (flags & kModeCreate) {
        extra |= O_CREAT;
        if (!(flags & kModeNoTruncate)) {
            extra |= O_TRUNC;
        }
    }
    m_fd = ::open(m_path.c_str(), access | extra, 0666);
    if (m_fd < 0 && errno == EACCES && (flags & kModeWrite) && !(flags & kModeReadWrite)) {
        m_fd = ::open(m_path.c_str(), O_WRONLY | extra, 0666);
    }
    if (m_fd < 0) {
        const int error = errno;
        throw FileException(FileException::causeFromErrno(error), m_path, error);
    }
}

PosixFile::~PosixFile()
{
    abort();
}

void PosixFile::fail(int error) const
{
    throw FileException(FileException::causeFromErrno(error), m_path, error);
}

void PosixFile::checkOpen() const
{
    if (m_fd < 0) {
        throw FileException(FileException::accessDenied, m_path, EBADF);
    }
}

std::size_t PosixFile::read(void* buffer, std::size_t count)
{
    checkOpen();
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(m_fd, out + done, count - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(errno);
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void PosixFile::write(const void* buffer, std::size_t count)
{
    checkOpen();
    const auto* in = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_fd, in + done, count - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(errno);
        }
        done += static_cast<std::size_t>(n);
    }
}

std::uint64_t PosixFile::seek(std::uint64_t position)
{
    checkOpen();
    const off_t result = ::lseek(m_fd, toOffset(position, m_path), SEEK_SET);
    if (result < 0) {
        fail(errno);
    }
    return static_cast<std::uint64_t>(result);
}

std::uint64_t PosixFile::position() const
{
    checkOpen();
    const off_t result = ::lseek(m_fd, 0, SEEK_CUR);
    if (result < 0) {
        fail(errno);
    }
    return static_cast<std::uint64_t>(result);
}

std::uint64_t PosixFile::length() const
{
    checkOpen();
    struct stat info
    {};
    if (::fstat(m_fd, &info) != 0) {
        fail(errno);
    }
    return static_cast<std::uint64_t>(info.st_size);
}

void PosixFile::setLength(std::uint64_t length)
{
    checkOpen();
    if (::ftruncate(m_fd, toOffset(length, m_path)) != 0) {
        fail(errno);
    }
}

void PosixFile::flush()
{
    checkOpen();
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) {
        fail(errno);
    }
}

void PosixFile::close()
{
    if (m_fd < 0) {
        return;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        fail(errno);
    }
}

void PosixFile::abort() noexcept
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void PosixFile::lockRange(std::uint64_t position, std::uint64_t count)
{
    checkOpen();
    struct flock lock
    {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = toOffset(position, m_path);
    lock.l_len = toOffset(count, m_path);
    if (::fcntl(m_fd, F_SETLK, &lock) != 0) {
        // A read-only descriptor cannot hold a write lock; a read lock still keeps writers out.
        lock.l_type = F_RDLCK;
        if (::fcntl(m_fd, F_SETLK, &lock) != 0) {
            throw FileException(FileException::lockViolation, m_path, errno);
        }
    }
}

void PosixFile::unlockRange(std::uint64_t position, std::uint64_t count)
{
    checkOpen();
    struct flock lock
    {};
    lock.l_type = F_UNLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = toOffset(position, m_path);
    lock.l_len = toOffset(count, m_path);
    if (::fcntl(m_fd, F_SETLK, &lock) != 0) {
        throw FileException(FileException::lockViolation, m_path, errno);
    }
}

std::unique_ptr<ByteFile> PosixFile::duplicate() const
{
    checkOpen();
    // A descriptor of its own (with its own position) on the same open file description
    // would share the position, so the file is opened again by its descriptor's path.
    const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
    const int flags = ::fcntl(m_fd, F_GETFL);
    const int fd = ::open(self.c_str(), (flags & O_ACCMODE) | O_CLOEXEC);
    if (fd < 0) {
        fail(errno);
    }
    return std::unique_ptr<ByteFile>(new PosixFile(m_path, fd));
}

} // namespace toolkit::crypt
