#include "platform/win/FileUtil.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform::win {

namespace {

FileStamp stampOf(const struct stat& info)
{
    FileStamp stamp;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.mtimeNs = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL +
                    static_cast<long long>(info.st_mtim.tv_nsec);
    return stamp;
}

int writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return 0;
}

} // namespace

FilePin::~FilePin()
{
    if (m_fd >= 0) {
        close(m_fd);
    }
}

std::optional<FileStamp> fileStamp(const std::string& path)
{
    struct stat info
    {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return stampOf(info);
}

int readWholeFile(const std::string& path, std::string& bytes, FileStamp& stamp)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    struct stat info
    {};
    if (fstat(fd, &info) != 0) {
        const int error = errno;
        close(fd);
        return error;
    }
    if (!S_ISREG(info.st_mode)) {
        close(fd);
        return EISDIR;
    }
    std::string content;
    content.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            close(fd);
            return error;
        }
        if (got == 0) {
            break;
        }
        content.append(buffer, static_cast<size_t>(got));
    }
    bytes = std::move(content);
    stamp = stampOf(info);
    stamp.pin = std::make_shared<const FilePin>(fd);
    return 0;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

int makeFolders(const std::string& folder)
{
    if (folder.empty()) {
        return 0;
    }
    struct stat info
    {};
    if (stat(folder.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
    }
    const size_t slash = folder.find_last_not_of('/');
    const size_t parentEnd =
        slash == std::string::npos ? std::string::npos : folder.rfind('/', slash);
    if (parentEnd != std::string::npos && parentEnd > 0) {
        const int error = makeFolders(folder.substr(0, parentEnd));
        if (error != 0) {
            return error;
        }
    }
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        return errno;
    }
    return 0;
}

int replaceFile(const std::string& path, std::string_view bytes, FileStamp& stamp)
{
    const std::string folder = folderOf(path);
    const size_t slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = folder + "/." + base + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        return errno;
    }
    temp.assign(name.data());
    struct stat old
    {};
    const mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    int error = writeAll(fd, bytes);
    if (error == 0 && fchmod(fd, mode) != 0) {
        error = errno;
    }
    if (error == 0 && fsync(fd) != 0) {
        error = errno;
    }
    struct stat written
    {};
    if (error == 0 && fstat(fd, &written) != 0) {
        error = errno;
    }
    if (error == 0 && rename(temp.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        close(fd);
        unlink(temp.c_str());
        return error;
    }
    // The data is on disk (fsync above); the descriptor stays open as the new version's pin.
    stamp = stampOf(written);
    stamp.pin = std::make_shared<const FilePin>(fd);
    return 0;
}

std::optional<FileWriteLock> FileWriteLock::acquire(const std::string& path, int& error)
{
    for (;;) {
        const int fd = open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            error = errno;
            return std::nullopt;
        }
        int result;
        do {
            result = flock(fd, LOCK_EX);
        } while (result != 0 && errno == EINTR);
        if (result != 0) {
            error = errno;
            close(fd);
            return std::nullopt;
        }
        // The holder before us may have replaced (or removed) the file: lock what the
        // path names now.
        struct stat locked
        {};
        struct stat current
        {};
        if (fstat(fd, &locked) == 0 && stat(path.c_str(), &current) == 0 &&
            locked.st_dev == current.st_dev && locked.st_ino == current.st_ino) {
            error = 0;
            return FileWriteLock(fd);
        }
        close(fd);
    }
}

FileWriteLock::FileWriteLock(FileWriteLock&& other) noexcept : m_fd(other.m_fd)
{
    other.m_fd = -1;
}

FileWriteLock& FileWriteLock::operator=(FileWriteLock&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0) {
            close(m_fd);
        }
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

FileWriteLock::~FileWriteLock()
{
    if (m_fd >= 0) {
        close(m_fd);
    }
}

} // namespace platform::win
