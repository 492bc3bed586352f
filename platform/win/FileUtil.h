#pragma once

// Whole-file reads, atomic replacement and the write lock shared by the profile and
// registry files.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace platform::win {

// An open descriptor of a file version that was read or written. While it is held, the
// file's inode cannot be freed, so its number cannot be reused by a later version.
class FilePin
{
public:
    explicit FilePin(int fd) : m_fd(fd) {}
    FilePin(const FilePin&) = delete;
    FilePin& operator=(const FilePin&) = delete;
    ~FilePin();

private:
    int m_fd;
};

// What identifies one version of a file: every replacement makes a new inode (and the
// pin keeps a known version's inode number from being reused); the size and
// modification time tell a rewrite in place.
struct FileStamp
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long mtimeNs = 0;
    std::shared_ptr<const FilePin> pin; // not compared

    bool operator==(const FileStamp& other) const
    {
        return device == other.device && inode == other.inode && size == other.size &&
               mtimeNs == other.mtimeNs;
    }
};

// The stamp of the file at path, or nothing when it does not exist (or is no file).
std::optional<FileStamp> fileStamp(const std::string& path);

// Reads the whole file; the stamp pins the version read. Returns 0, or the errno of the
// failure (ENOENT when missing).
int readWholeFile(const std::string& path, std::string& bytes, FileStamp& stamp);

// Replaces the file's content atomically: writes a temporary file in the same folder,
// flushes it to disk and renames it over path, keeping the old file's permissions.
// Returns 0 and the new file's stamp (pinned), or the errno of the failure (path
// untouched).
int replaceFile(const std::string& path, std::string_view bytes, FileStamp& stamp);

// Creates the folder and its parents as needed. Returns 0 or an errno.
int makeFolders(const std::string& folder);

// The folder part of a path ("." when it has none).
std::string folderOf(const std::string& path);

// An exclusive flock on the file at path (created empty when missing), held while the
// object lives. Writers replace files by rename, so the lock is taken on the inode that
// path names once the lock is granted: a waiter that wakes up on a replaced inode locks
// the new one instead. Several objects of one process on one path exclude each other too.
class FileWriteLock
{
public:
    // Returns the lock, or nothing with error set to the errno of the failure.
    static std::optional<FileWriteLock> acquire(const std::string& path, int& error);

    FileWriteLock(FileWriteLock&& other) noexcept;
    FileWriteLock& operator=(FileWriteLock&& other) noexcept;
    FileWriteLock(const FileWriteLock&) = delete;
    FileWriteLock& operator=(const FileWriteLock&) = delete;
    ~FileWriteLock();

private:
    explicit FileWriteLock(int fd) : m_fd(fd) {}
    int m_fd = -1;
};

} // namespace platform::win
