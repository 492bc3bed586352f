#include "platform/win/FileUtil.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
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

std::string temporaryNamePrefix(std::string_view target)
{
    // A name of up to 255 bytes must still leave room for the prefix and suffix: a long
    // name is cut (never inside a UTF-8 character) and a hash of the whole name added, so
    // two long names that share their beginning still get different temporaries.
    constexpr size_t kMaxStem = 180;
    constexpr size_t kCutStem = 160;
    std::string stem;
    if (target.size() <= kMaxStem) {
        stem = target;
    } else {
        size_t length = kCutStem;
        while (length > 0 && (static_cast<unsigned char>(target[length]) & 0xC0) == 0x80) {
            --length;
        }
        uint64_t hash = 14695981039346656037ull; // FNV-1a
        for (const char c : target) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        }
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
        stem = std::string(target.substr(0, length)) + "~" + hex;
    }
    return "." + stem + ".harlune-";
}

namespace {

std::atomic<unsigned> g_temporaryCounter{0};

std::string baseOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a path names once its symbolic links are followed (the path itself when it
// is no link or does not exist). Returns 0 or an errno (ELOOP for a loop).
int followLinks(const std::string& path, std::string& target)
{
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info
        {};
        if (lstat(current.c_str(), &info) != 0) {
            if (errno != ENOENT) {
                return errno;
            }
            target = current;
            return 0;
        }
        if (!S_ISLNK(info.st_mode)) {
            target = current;
            return 0;
        }
        std::vector<char> link(static_cast<size_t>(info.st_size > 0 ? info.st_size : 255) + 2);
        const ssize_t length = readlink(current.c_str(), link.data(), link.size());
        if (length < 0) {
            return errno;
        }
        if (static_cast<size_t>(length) >= link.size()) {
            return ENAMETOOLONG; // the link changed while it was read
        }
        const std::string next(link.data(), static_cast<size_t>(length));
        current = next.starts_with('/') ? next : folderOf(current) + "/" + next;
    }
    return ELOOP;
}

// Whether the target may be replaced: 0, EACCES for a protected file, or another errno.
// info is filled and exists set when the target exists.
int checkTarget(const std::string& target, struct stat& info, bool& exists)
{
    exists = false;
    if (stat(target.c_str(), &info) != 0) {
        return errno == ENOENT ? 0 : errno;
    }
    exists = true;
    if (S_ISDIR(info.st_mode)) {
        return EISDIR;
    }
    if (!S_ISREG(info.st_mode)) {
        return EINVAL;
    }
    // The owner-write bit stands for the read-only attribute, which protects a file from
    // everybody; root passes every access check, so the bit is tested by itself.
    if ((info.st_mode & S_IWUSR) == 0) {
        return EACCES;
    }
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return errno;
    }
    return 0;
}

// Removes the temporaries of one target that processes no longer running left in folder.
// Only names of the exact form prefix + "<pid>-<n>.tmp" that are plain files count.
void removeStaleTemporaries(const std::string& folder, const std::string& prefix)
{
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    const pid_t self = getpid();
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix) || !name.ends_with(".tmp")) {
            continue;
        }
        const std::string_view rest =
            name.substr(prefix.size(), name.size() - prefix.size() - 4); // "<pid>-<n>"
        const size_t dash = rest.find('-');
        if (dash == std::string_view::npos || dash == 0 || dash > 10 || dash + 1 == rest.size()) {
            continue;
        }
        const std::string_view pidText = rest.substr(0, dash);
        const std::string_view counterText = rest.substr(dash + 1);
        const auto isDigits = [](std::string_view text) {
            return text.size() <= 10 && text.find_first_not_of("0123456789") == std::string::npos;
        };
        if (!isDigits(pidText) || !isDigits(counterText)) {
            continue;
        }
        const long long pid = std::stoll(std::string(pidText));
        if (pid <= 0 || pid > INT_MAX || pid == self) {
            continue;
        }
        // EPERM means the process lives under another user: it is not ours to clean.
        if (kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) {
            continue;
        }
        struct stat info
        {};
        if (fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode)) {
            unlinkat(dirfd(dir), entry->d_name, 0);
        }
    }
    closedir(dir);
}

} // namespace

AtomicReplace::AtomicReplace(std::string path) : m_path(std::move(path)) {}

AtomicReplace::~AtomicReplace()
{
    abandon();
}

int AtomicReplace::open()
{
    if (m_fd >= 0 || m_path.empty()) {
        return EINVAL;
    }
    m_error = followLinks(m_path, m_target);
    if (m_error != 0) {
        return m_error;
    }
    struct stat info
    {};
    bool exists = false;
    m_error = checkTarget(m_target, info, exists);
    if (m_error != 0) {
        return m_error;
    }
    const std::string folder = folderOf(m_target);
    const std::string prefix = temporaryNamePrefix(baseOf(m_target));
    removeStaleTemporaries(folder, prefix);
    const std::string start = folder + "/" + prefix + std::to_string(getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temporary = start + std::to_string(g_temporaryCounter.fetch_add(1)) + ".tmp";
        m_fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            return 0;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    m_error = errno;
    m_temporary.clear();
    return m_error;
}

int AtomicReplace::write(std::string_view bytes)
{
    if (m_fd < 0) {
        return m_error != 0 ? m_error : EBADF;
    }
    m_error = writeAll(m_fd, bytes);
    if (m_error != 0) {
        const int error = m_error;
        abandon();
        m_error = error;
    }
    return m_error;
}

int AtomicReplace::commit(FileStamp* stamp)
{
    if (m_fd < 0) {
        return m_error != 0 ? m_error : EBADF;
    }
    // Checked again: the target may have been protected since the write began.
    struct stat old
    {};
    bool exists = false;
    int error = checkTarget(m_target, old, exists);
    if (error == 0 && exists) {
        // The owner first: a change of owner clears the set-id bits that chmod then sets.
        struct stat mine
        {};
        if (fstat(m_fd, &mine) == 0 && (mine.st_uid != old.st_uid || mine.st_gid != old.st_gid)) {
            // Allowed to root only; another user's file then becomes the writer's own, as
            // a new file of the same name would.
            if (fchown(m_fd, old.st_uid, old.st_gid) != 0) {
                errno = 0;
            }
        }
        if (fchmod(m_fd, old.st_mode & 07777) != 0) {
            error = errno;
        }
    }
    if (error == 0 && fsync(m_fd) != 0) {
        error = errno;
    }
    struct stat written
    {};
    if (error == 0 && fstat(m_fd, &written) != 0) {
        error = errno;
    }
    if (error == 0 && rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        abandon();
        m_error = error;
        return error;
    }
    m_temporary.clear();
    // The rename is a change of the folder: flush it, or a power cut may bring the old
    // version back after the save was reported done. File systems that cannot flush a
    // folder say EINVAL; their renames are as durable as they get.
    const int folder = ::open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        error = errno;
    } else {
        if (fsync(folder) != 0 && errno != EINVAL) {
            error = errno;
        }
        close(folder);
    }
    if (stamp != nullptr) {
        *stamp = stampOf(written);
        // The descriptor stays open as the new version's pin.
        stamp->pin = std::make_shared<const FilePin>(m_fd);
    } else {
        close(m_fd);
    }
    m_fd = -1;
    m_error = error;
    return error;
}

void AtomicReplace::abandon()
{
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

int replaceFile(const std::string& path, std::string_view bytes, FileStamp& stamp)
{
    AtomicReplace file(path);
    int error = file.open();
    if (error == 0) {
        error = file.write(bytes);
    }
    if (error == 0) {
        error = file.commit(&stamp);
    }
    return error;
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
